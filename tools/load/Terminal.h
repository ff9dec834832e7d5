#pragma once

#include "transport/CipherLibrary.h"
#include "transport/Layouts.h"

#include <QHostAddress>

#include <string>
#include <string_view>

namespace dovra {

// One exchange as a counter makes it: its own connection, one framed and encrypted request, one answer
// read until its prefix's count is complete.
struct TerminalAnswer {
    enum class Status { Answered, NotConnected, NoAnswer, Undecryptable };
    Status status = Status::NoAnswer;
    std::string decrypted; // the whole decrypt buffer
    ResponseFields fields; // header and body cut from it (care items and balance split too)

    bool Answered() const { return status == Status::Answered; }
};

struct TerminalTarget {
    QHostAddress host;
    quint16 port = 0;
    int timeoutMs = 10000;
    QHostAddress from; // the terminal's own address; the system's choice when null
};

// Seals a request telegram (header and fields, as AssembleStandardRequest or AssembleLoginRequest make it).
std::string SealTelegram(const CipherLibrary& cipher, std::string_view telegram);

TerminalAnswer TerminalExchange(const CipherLibrary& cipher, const TerminalTarget& target,
                                std::string_view telegram);

// Sends bytes as they are and returns what came back before the server closed (or the time ran out).
std::string SendRaw(const TerminalTarget& target, std::string_view bytes);

// Sends and closes at once without reading, as the automatic cancellation after a time-out does.
bool SendAndClose(const TerminalTarget& target, std::string_view bytes);

} // namespace dovra
