#pragma once

#include "exchanges/Lifecycle.h"

namespace dovra {

// The business number and authentication number as typed, CP949.
struct Credentials {
    std::string businessNumber, authNo;
};

// The login ("0100") on Winsock1: on success the merchant's details are saved for the main window and
// the receipts, and the automatic cancellations of that merchant may go.
class Login : public Lifecycle {
    Q_OBJECT
public:
    Login(Exchanges& desk, QObject* parent);

    // The button asks for the authentication number first; Enter in its box sends it as it is.
    void Start(Credentials credentials, bool askForAuthNo);

signals:
    void Finished(const dovra::LoginResult& result);

protected:
    std::string Build() override;
    void Read(const std::string& decrypted) override;
    void Conclude(ExchangeOutcome outcome) override;

private:
    Credentials credentials_;
};

} // namespace dovra
