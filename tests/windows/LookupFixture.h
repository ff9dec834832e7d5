#pragma once

#include "app/Program.h"
#include "counter/CounterFixture.h"
#include "support/WindowFixture.h"
#include "windows/main/Form1.h"

#include <QTest>

#include <vector>

// The main window as the card reader's lookup of card 9410000012345678 with these blocks leaves it.
inline void LookUp(dovra::Form1& main, dovra::Counter& counter, std::vector<CareBlock> blocks) {
    using dovra::LookupStep;
    main.TakeLookup({LookupStep::Kind::CardSent, {"9410", "0000", "1234", "5678"}, {}});
    main.TakeLookup({LookupStep::Kind::Answered,
                     {},
                     counter.ReadCardAnswer(dovra::LookupSource::CardReader, dovra::Entry::Kind::Approval,
                                            CardAnswer("00", std::move(blocks)))});
}
