#pragma once

#include "counter/CancellationJournal.h"
#include "counter/Counter.h"
#include "foundations/ProgramLog.h"
#include "transport/CipherLibrary.h"
#include "transport/Envelope.h"

#include <QObject>
#include <QString>

#include <memory>

namespace dovra {

class AutomaticCancellation;

// What every exchange of the program shares, made once by the program: the counter's rules with the
// last TraceNo, the cipher library, the logs, the lookup server and the automatic cancellations. The
// windows start exchanges on it and read the settings through it; nothing else of it is theirs.
class Exchanges : public QObject {
    Q_OBJECT
public:
    Exchanges(const CipherLibrary& cipher, const Clock& clock, SettingsPaths paths,
              ServerAddress lookupServer,
              std::shared_ptr<const ProgramLog> programLog = std::make_shared<const ProgramLog>(),
              CancellationJournal::FileRemover remover = CancellationJournal::RemoveFile,
              QObject* parent = nullptr);
    ~Exchanges() override;

    const Settings& settings() const { return counter_.settings(); }
    const ProgramLog& programLog() const { return *programLog_; }
    const std::shared_ptr<const ProgramLog>& sharedProgramLog() const { return programLog_; }
    // They live as long as the program, so a logout does not lose one.
    AutomaticCancellation& cancellations() { return *cancellations_; }

signals:
    // Once a run: a telegram could not be written to the day's log. The exchange went on.
    void LogNotWritten();
    // Once a run: a fault inside the automatic cancellations, which have no window to tell it; they go
    // on trying. The text is the fault's own.
    void FaultInCancellations(const QString& detail);

private:
    friend class Lifecycle;
    friend class TelegramSocket;

    EnvelopeContext Envelope() const { return {cipher_, clock_, counter_.settings().paths().LogFolder()}; }
    void WarnLogNotWritten();

    const CipherLibrary& cipher_;
    const Clock& clock_;
    Counter counter_;
    ServerAddress lookupServer_;
    std::shared_ptr<const ProgramLog> programLog_;
    AutomaticCancellation* cancellations_;
    bool logNotWrittenTold_ = false;
};

} // namespace dovra
