#pragma once

#include "exchanges/ExchangeOutcome.h"
#include "windows/common/Services.h"

#include <QWidget>

#include <exception>
#include <string>
#include <string_view>
#include <type_traits>

namespace dovra {

// The merchant hears that something went wrong inside the program, with the technical detail below for
// the support staff.
void TellUnexpected(const Services& services, QWidget* window, const std::string& detail);
// An exchange's message, if it has one: a fault inside the program as a warning under the program's
// title, anything else plainly under the given title.
void TellOutcome(const Services& services, QWidget* window, const ExchangeOutcome& outcome,
                 const QString& title);

// Every caught fault reaches the support desk, told to the merchant or not; an empty detail stands for
// an exception that carried no text.
void LogFault(const Services& services, const QObject* where, std::string_view detail) noexcept;

// Runs one event handler so that no exception leaves it: one that reached the event loop would end the
// program in the middle of a transaction. On a fault, recover() puts things right (a fault of its own is
// swallowed, as there is nothing left to try) and the merchant is told, unless a recover() that answers
// with a bool says not to; the program goes on.
template <class Handler, class Recover>
void RunGuarded(const Services& services, QWidget* window, Handler&& handler, Recover&& recover) {
    std::string detail;
    try {
        handler();
        return;
    } catch (const std::exception& fault) {
        detail = fault.what();
    } catch (...) {
    }
    LogFault(services, window, detail);
    bool tell = true;
    try {
        if constexpr (std::is_same_v<decltype(recover()), bool>) {
            tell = recover();
        } else {
            recover();
        }
    } catch (const std::exception& fault) {
        LogFault(services, window, std::string("while recovering: ") + fault.what());
    } catch (...) {
        LogFault(services, window, "while recovering");
    }
    if (tell) {
        TellUnexpected(services, window, detail);
    }
}

// The slot for a handler of a window (or of anything with a recovery of its own), guarded.
template <class Window, class Recovered, class... Args>
auto GuardedSlot(const Services& services, Window* window, void (Window::*handler)(Args...),
                 Recovered (Window::*recover)()) {
    QWidget* parent = nullptr;
    if constexpr (std::is_base_of_v<QWidget, Window>) {
        parent = window;
    }
    return [&services, window, parent, handler, recover](Args... args) {
        RunGuarded(
            services, parent, [&] { (window->*handler)(args...); }, [&] { return (window->*recover)(); });
    };
}

} // namespace dovra
