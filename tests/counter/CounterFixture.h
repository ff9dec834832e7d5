#pragma once

#include "counter/Counter.h"
#include "foundations/AnsiText.h"
#include "foundations/Cp949.h"
#include "foundations/Ini.h"
#include "support/TelegramFields.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <tuple>

inline std::string Cp949(const std::string& utf8) {
    return dovra::Utf8ToCp949(utf8);
}
// A UTF-8 text as CP949, left-aligned in a field of the given width.
inline std::string Fit(const std::string& utf8, int width) {
    return dovra::PadField(Cp949(utf8), false, width);
}

// A care item block as the server fills it, texts in UTF-8.
struct CareBlock {
    std::string code, remain, amount, name, teacherCode, teacher;
};
inline const CareBlock Speech{"01S", "000150000", "030000", "언어치료", "T000000001", "박선생"};
inline const CareBlock Art{"02S", "000150000", "045000", "미술치료", "T000000002", "이선생"};
inline const CareBlock AfterSchool{"03A", "000080000", "020000", "음악줄넘기", "T000000003", "최선생"};

// A 450-byte telegram written out by hand, each line's first byte at the position noted beside it, so
// the counter is checked apart from the layout tables it builds with. By default the approval of 45,000
// for the second care item, sent at 09:30:15.
struct Telegram {
    std::string msgType = "0500", issueCode = "0301", sendDate = "20261207", sendTime = "093015";
    std::string trace = "093015052301", code = "00", merchant = "000071052301", transDate = "20261207";
    std::string transTime = "093015", kind = "11", mode = "0", card = "9410000012345678";
    std::string amount = "0000045000", approvalNo{}, orgDate{}, orgNo{}, support{}, used{}, remain{};
    std::string cancelType = "0", careCode = "02S", teacherCode = "T000000002", teacher = "이선생";
    std::string student{}, school{}, message{}, reserved145{};

    std::string Text() const {
        return msgType + issueCode + sendDate + sendTime + trace + code + Fit(merchant, 15) + // 1
               transDate + transTime + kind + mode + Fit(card, 37) + std::string(16, ' ') +   // 52
               amount + Fit(approvalNo, 12) + Fit(orgDate, 8) + Fit(orgNo, 12) +              // 122
               Fit(support, 9) + Fit(used, 9) + Fit(remain, 9) + Fit(cancelType, 1) +         // 164
               std::string(9, ' ') + Fit(careCode, 3) + Fit(teacherCode, 10) +                // 192
               Fit(teacher, 10) + Fit(student, 10) + Fit(school, 40) +                        // 214
               Fit(message, 32) + Fit(reserved145, 145);                                      // 274
    }
};

// The server's answer to business number 1208147521's login, after its length prefix.
inline std::string LoginAnswered(const std::string& code, const std::string& name = "새싹아동발달센터",
                                 const std::string& address = "") {
    return "0100030120261207093015093015052301" + code + "1208147521     1  " + Fit(name, 60) +
           "000071052301" + std::string(20, ' ') + Fit("02-3456-7890", 13) + Fit(address, 150);
}

// A card lookup as sent, and as answered with the fields the counter reads.
inline Telegram Lookup() {
    Telegram t{.msgType = "0200", .kind = "21", .amount = "0000000000", .cancelType = ""};
    t.careCode = t.teacherCode = t.teacher = "";
    return t;
}
// The decrypted card answer: its prefix, the 450 bytes, Reserved2 and nine blocks (those not given blank).
inline std::string CardAnswer(const std::string& code, std::vector<CareBlock> blocks = {},
                              const std::string& message = "") {
    Telegram t = Lookup();
    std::tie(t.code, t.remain, t.student, t.school, t.message) =
        std::tuple(code, "001250000", "김하늘", "한빛초등학교", message);
    std::string answer = "0974" + t.Text() + "  ";
    blocks.resize(9);
    for (const CareBlock& b : blocks) {
        answer += Fit(b.code, 3) + Fit(b.remain, 9) + Fit(b.amount, 6) + Fit(b.name, 20) +
                  Fit(b.teacherCode, 10) + Fit(b.teacher, 10);
    }
    return answer;
}

// A counter at 09:30:15 on 7 December 2026 whose settings files are real ones in a temporary folder.
class CounterTest : public ::testing::Test {
protected:
    CounterTest() {
        Set("PellumInfo", "dovra_Issue_code", "0301");
        Set("PellumInfo", "dovra_Ip", "127.0.0.1");
        Set("PellumInfo", "dovra_Port", "15024");
        Set("ComInfo", "Number", "000071052301");
        dovra::WriteIni("ComInfo", "Number", "000099887766", paths.Pellum7());
    }
    void Set(const char* section, const char* key, const std::string& value) {
        dovra::WriteIni(section, key, value, paths.DovraSetting());
    }
    // The card number typed in full, the kind and the care item chosen, nothing else entered yet.
    static dovra::Entry Paying(dovra::Entry::Kind kind, const CareBlock& care = {}) {
        dovra::Entry entry;
        std::tie(entry.kind, entry.card, entry.careCode, entry.teacherCode) =
            std::tuple(kind, "9410000012345678", care.code, care.teacherCode);
        return entry;
    }

    TempFolder temp;
    dovra::SettingsPaths paths{temp.path() / "Tarnwick"};
    dovra::SettableClock clock{{2026, 12, 7, 9, 30, 15}};
    dovra::Counter counter{clock, paths};
};
