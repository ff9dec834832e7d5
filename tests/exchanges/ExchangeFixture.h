#pragma once

#include "counter/CounterFixture.h"
#include "exchanges/AutomaticCancellation.h"
#include "exchanges/Exchanges.h"
#include "exchanges/Payment.h"
#include "foundations/PathText.h"
#include "support/ScriptedPeer.h"

#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

// The exchanges of one run of the program without its windows: real settings and journal files in a
// temporary root, the real cipher library, and a scripted peer on loopback as the approval server.
class ExchangeTest : public CounterTest {
protected:
    ExchangeTest() {
        std::string error;
        if (!cipher.Load(TSEED_LIBRARY, error)) {
            throw std::runtime_error(error);
        }
        Set("PellumInfo", "dovra_Port", std::to_string(peer->port()));
        StartRun();
    }

    // A run of the program on the same settings root, as after a restart.
    void StartRun() {
        run.reset();
        run = std::make_unique<dovra::Exchanges>(
            cipher, clock, paths, dovra::ServerAddress{"127.0.0.1", peer->port()},
            std::make_shared<const dovra::ProgramLog>(paths.ProgramLogFolder(), clock),
            [this](const std::filesystem::path& file) { return remover(file); });
        Timer("retryTimer")->setInterval(20);
        Timer("answerWait")->setInterval(20);
        QObject::connect(run.get(), &dovra::Exchanges::FaultInCancellations, run.get(),
                         [this](const QString& detail) { faultsTold.push_back(detail.toStdString()); });
    }

    dovra::AutomaticCancellation& cancellations() { return run->cancellations(); }
    dovra::CancellationJournal& journal() { return cancellations().queue().journal(); }
    QTimer* Timer(const char* name) const { return run->findChild<QTimer*>(name); }

    // Each journal entry as "kind:merchant", oldest first.
    std::vector<std::string> Journal() {
        std::vector<std::string> kinds;
        for (const auto& entry : journal().Entries()) {
            const char* kind[] = {"approval", "answered", "cancel"};
            kinds.push_back(std::string(kind[static_cast<int>(entry.kind)]) + ":" +
                            dovra::MerchantOf(entry.telegram));
        }
        return kinds;
    }
    // Stands a folder where the entry's next file of that kind is written, so the disk refuses it.
    void Block(const std::string& id, const char* suffix) {
        std::filesystem::create_directories(paths.root / "Journal" / (id + suffix + ".new"));
    }
    std::string ProgramLogText() const { return ReadWholeFile(paths.ProgramLogFolder() / "20261207.log"); }

    dovra::CipherLibrary cipher;
    std::unique_ptr<ScriptedPeer> peer = std::make_unique<ScriptedPeer>(cipher);
    // The journal's file removal: the disk's own, unless a test stands in for a virus scanner.
    dovra::CancellationJournal::FileRemover remover = dovra::CancellationJournal::RemoveFile;
    std::vector<std::string> faultsTold;
    std::unique_ptr<dovra::Exchanges> run;
};
