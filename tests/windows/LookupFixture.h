#pragma once

#include "app/Program.h"
#include "support/WindowFixture.h"
#include "windows/main/Form1.h"

#include <QPointer>
#include <QTest>

#include <vector>

// A care item block as the server fills it, texts in UTF-8.
struct CareBlock {
    std::string code, remain, amount, name, teacherCode, teacher;
};
inline const CareBlock Speech{"01S", "000150000", "030000", "언어치료", "T000000001", "박선생"};
inline const CareBlock Art{"02S", "000150000", "045000", "미술치료", "T000000002", "이선생"};
inline const CareBlock AfterSchool{"03A", "000080000", "020000", "음악줄넘기", "T000000003", "최선생"};

inline std::string Fit(const std::string& utf8, int width) {
    return dovra::PadField(dovra::Utf8ToCp949(utf8), false, width);
}

// A card lookup answer put together by hand, position by position, so the reading is checked apart
// from the layout tables: header, 399 body bytes, Reserved2, nine 58-byte blocks (the ones not given
// blank).
inline std::string CardAnswer(const std::string& number, const char* code, std::vector<CareBlock> blocks,
                              const char* message = "") {
    std::string body(399, ' ');
    body.replace(130, 9, "001250000");              // MonthRemain at 182
    body.replace(172, 10, Fit("김하늘", 10));       // StudentName at 224
    body.replace(182, 40, Fit("한빛초등학교", 40)); // SchoolName at 234
    body.replace(222, 32, Fit(message, 32));        // MessageText at 274
    std::string telegram =
        std::string("0200030120261207093015093015052301") + code + Fit(number, 15) + body + "  ";
    blocks.resize(9);
    for (const CareBlock& b : blocks) {
        telegram += Fit(b.code, 3) + Fit(b.remain, 9) + Fit(b.amount, 6) + Fit(b.name, 20) +
                    Fit(b.teacherCode, 10) + Fit(b.teacher, 10);
    }
    return telegram;
}

// The main window as the card reader's lookup of card 9410000012345678 with these blocks leaves it.
inline void LookUp(dovra::Form1& main, dovra::Counter& counter, std::vector<CareBlock> blocks,
                   dovra::Entry::Kind kind = dovra::Entry::Kind::Approval) {
    using dovra::LookupStep;
    main.TakeLookup({LookupStep::Kind::CardSent, {"9410", "0000", "1234", "5678"}, {}});
    std::string decrypted = "0974" + CardAnswer("000071052301", "00", std::move(blocks));
    main.TakeLookup({LookupStep::Kind::Answered,
                     {},
                     counter.ReadCardAnswer(dovra::LookupSource::CardReader, kind, decrypted)});
}

// The main window with a lookup window opened from its button.
template <class Window> class LookupFixture : public WindowFixture {
protected:
    LookupFixture(std::string number, const char* button) : number_(number), button_(button) {}

    void SetUp() override {
        dovra::WriteIni("ComInfo", "Number", "000071052301", paths().DovraSetting());
        dovra::WriteIni("ComInfo", "Number", "000099887766", paths().Pellum7());
        main = new dovra::Form1(services);
        dovra::AttachLookupWindows(*main, services);
        main->show();
        Reopen();
    }
    void TearDown() override { delete main.data(); }
    void Reopen() {
        QTest::mouseClick(Find<QPushButton>(main, button_), Qt::LeftButton);
        window = main->template findChild<Window*>();
        ASSERT_TRUE(window && window->isModal());
    }
    bool Closed() {
        return QTest::qWaitFor([&] { return window.isNull(); }, 5000);
    }

    std::string Answer(const char* code, std::vector<CareBlock> blocks = {}, const char* message = "") const {
        return CardAnswer(number_, code, std::move(blocks), message);
    }

    // The "0200" sent at the fixture's 09:30:15, length prefix first: header, then date and time, kind
    // "21", entry mode, card, blank extra, zero amount and the blank fields 15 to 29.
    std::string Expected(const std::string& issueCode, char entryMode, const std::string& card) const {
        return "04500200" + issueCode + "20261207093015" + "093015" + number_.substr(6) + "00" +
               Fit(number_, 15) + "2026120709301521" + entryMode + Fit(card, 37) + Fit("", 16) +
               "0000000000" + Fit("", 319);
    }

    // The rows of lstResult or cmbCare1.
    static QStringList Rows(const QAbstractItemModel* model) {
        QStringList rows;
        for (int i = 0; i < model->rowCount(); ++i) {
            rows << model->index(i, 0).data().toString();
        }
        return rows;
    }

    QPointer<dovra::Form1> main;
    QPointer<Window> window;

private:
    std::string number_;
    const char* button_;
};
