#pragma once

#include "transport/Layouts.h"
#include "windows/common/Services.h"
#include "windows/common/TelegramSocket.h"

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

namespace dovra {

class Form1;

// Texts that both card lookup windows show.
namespace LookupTexts {
inline const QString Accepted = QStringLiteral("카드정보조회가 정상처리 되었습니다.");
inline const QString StudentLabel = QStringLiteral("학생이름   : ");
inline const QString SchoolLabel = QStringLiteral("학교명     : ");
} // namespace LookupTexts

// What sets one window's "0200" apart from the other's.
struct LookupRequest {
    std::string issueCode;
    std::filesystem::path numberFile; // holds the merchant's [ComInfo] Number
    std::string entryMode;
    std::string card; // CP949, 16 characters as a rule
};

// Fills the program's shared request fields for a card lookup and assembles TelegramBuffer from them.
const std::string& AssembleCardLookup(const Services& services, const LookupRequest& request);

// The parts of an answer that both windows put on the main window alike.
void ShowAcceptedLines(Form1& main, const ResponseFields& answer); // headline, student, school
void ShowRefusal(Form1& main, const ResponseFields& answer);       // three lines, care items locked
void ShowFirstItem(Form1& main, const ResponseFields& answer);     // block 1's teacher and amount
void OpenCareItems(Form1& main);
void StoreCareItems(Form1& main, const ResponseFields& answer); // the nine-fold variables, as received
// A balance inquiry is for the whole card, so no care item is offered: the list locked, grey and empty,
// the amount emptied.
void WithdrawCareItems(Form1& main);
// A lookup that broke off may have filled part of the main window: it is emptied for a fresh start and
// the lookup window closes.
void AbandonLookup(QWidget& window, TelegramSocket& socket, Form1& main);

} // namespace dovra
