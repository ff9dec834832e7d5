#pragma once

#include "app/Program.h"
#include "counter/CounterFixture.h"
#include "support/WindowFixture.h"
#include "windows/main/Form1.h"

#include <QPointer>
#include <QTest>

#include <vector>

// The main window as the card reader's lookup of card 9410000012345678 with these blocks leaves it.
inline void LookUp(dovra::Form1& main, dovra::Counter& counter, std::vector<CareBlock> blocks,
                   dovra::Entry::Kind kind = dovra::Entry::Kind::Approval) {
    using dovra::LookupStep;
    main.TakeLookup({LookupStep::Kind::CardSent, {"9410", "0000", "1234", "5678"}, {}});
    main.TakeLookup(
        {LookupStep::Kind::Answered,
         {},
         counter.ReadCardAnswer(dovra::LookupSource::CardReader, kind, CardAnswer("00", std::move(blocks)))});
}

// The main window with a lookup window opened from its button.
template <class Window> class LookupFixture : public WindowFixture {
protected:
    explicit LookupFixture(const char* button) : button_(button) {}

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
    // The peer's script takes the telegram after its length prefix.
    static std::string Answer(const char* code, std::vector<CareBlock> blocks = {}) {
        return CardAnswer(code, std::move(blocks)).substr(4);
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
    const char* button_;
};
