#pragma once

#include "foundations/ProgramLog.h"

#include <QObject>

#include <exception>
#include <string>
#include <string_view>

namespace dovra {

// Every caught fault reaches the support desk, named after the object it happened in; an empty detail
// stands for an exception that carried no text.
void LogFault(const ProgramLog& log, const QObject* where, std::string_view detail) noexcept;

// Runs one event handler of an exchange so that no exception leaves it: one that reached the event
// loop would end the program in the middle of a transaction. On a fault, recover(detail) ends the
// exchange properly; a fault of its own is logged and swallowed, as there is nothing left to try.
template <class Step, class Recover>
void GuardStep(const ProgramLog& log, const QObject* where, Step&& step, Recover&& recover) {
    std::string detail;
    try {
        step();
        return;
    } catch (const std::exception& fault) {
        detail = fault.what();
    } catch (...) {
    }
    LogFault(log, where, detail);
    try {
        recover(detail);
    } catch (const std::exception& fault) {
        LogFault(log, where, std::string("while recovering: ") + fault.what());
    } catch (...) {
        LogFault(log, where, "while recovering");
    }
}

} // namespace dovra
