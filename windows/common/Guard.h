#pragma once

#include "exchanges/ExchangeOutcome.h"
#include "exchanges/Guard.h"
#include "windows/common/Services.h"

#include <QWidget>

#include <optional>
#include <string>
#include <type_traits>

namespace dovra {

// The merchant hears that something went wrong inside the program, with the technical detail below for
// the support staff.
void TellUnexpected(const Services& services, QWidget* window, const std::string& detail);
// An exchange's message, if it has one: a fault inside the program as a warning under the program's
// title, anything else plainly under the given title.
void TellOutcome(const Services& services, QWidget* window, const ExchangeOutcome& outcome,
                 const QString& title);

// Runs one event handler so that no exception leaves it: one that reached the event loop would end the
// program in the middle of a transaction. On a fault, recover() puts things right (a fault of its own is
// swallowed, as there is nothing left to try) and the merchant is told, unless a recover() that answers
// with a bool says not to; the program goes on.
template <class Handler, class Recover>
void RunGuarded(const Services& services, QWidget* window, Handler&& handler, Recover&& recover) {
    std::optional<std::string> fault;
    bool tell = true;
    GuardStep(services.programLog(), window, handler, [&](const std::string& detail) {
        fault = detail;
        if constexpr (std::is_same_v<decltype(recover()), bool>) {
            tell = recover();
        } else {
            recover();
        }
    });
    if (fault && tell) {
        TellUnexpected(services, window, *fault);
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
