#include "exchanges/Login.h"

#include "exchanges/AutomaticCancellation.h"
#include "exchanges/Texts.h"

namespace dovra {

Login::Login(Exchanges& desk, QObject* parent) : Lifecycle(desk, "Winsock1", LoginExchange, parent) {}

void Login::Start(Credentials credentials, bool askForAuthNo) {
    if (askForAuthNo && credentials.authNo.empty()) {
        Refuse(Refusal::AuthNo, ExchangeTexts::EnterAuthNo);
        return;
    }
    auto server = desk_.settings().ApprovalServer();
    if (!server) {
        Refuse(Refusal::ServerSettings, ExchangeTexts::CheckServerSettings);
        return;
    }
    credentials_ = std::move(credentials);
    Connect(*server);
}

std::string Login::Build() {
    return counter().LoginRequest(credentials_.businessNumber, credentials_.authNo);
}

void Login::Read(const std::string& decrypted) {
    LoginOutcome outcome = counter().ReadLoginAnswer(decrypted);
    if (outcome.result != LoginOutcome::Result::Accepted) {
        bool refused = outcome.result == LoginOutcome::Result::Refused;
        emit Finished({{refused ? ExchangeOutcome::Kind::Answered : ExchangeOutcome::Kind::Unreadable,
                        Refusal::None,
                        refused ? ExchangeTexts::LoginRefused : ExchangeTexts::UnreadableAnswer,
                        false,
                        {}},
                       false});
        return;
    }
    // Every later request reads the merchant number from the settings: without it saved, the main window
    // would send for nobody, or for the merchant who logged in before.
    const Settings& settings = desk_.settings();
    if (!settings.SaveMerchant(outcome.merchant)) {
        emit Finished(
            {{ExchangeOutcome::Kind::Answered, Refusal::None, ExchangeTexts::MerchantNotSaved, false, {}},
             false});
        return;
    }
    LoginResult result{{}, true};
    // Only the update service reads this one: the merchant hears of it, but the counter can work.
    if (!settings.SaveBusinessNumber(credentials_.businessNumber)) {
        result.outcome.message = ExchangeTexts::MerchantNotSaved;
    }
    // The server now takes this merchant's cancellations from this address.
    desk_.cancellations().LoggedIn();
    emit Finished(result);
}

void Login::Conclude(ExchangeOutcome outcome) {
    emit Finished({std::move(outcome), false});
}

} // namespace dovra
