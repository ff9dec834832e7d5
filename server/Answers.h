#pragma once

#include "server/FieldWidth.h"
#include "transport/Layouts.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace dovra {

// Which layout an answer has, by the MsgType it answers; an unknown MsgType gets the 450-byte layout.
enum class AnswerShape {
    Login,    // header, mark, merchant block: 309 bytes
    Card,     // header, body, Reserved2, nine care items: 974 bytes
    Standard, // header and body: 450 bytes
};

AnswerShape ShapeOf(std::string_view msgType);

// The request's header and body echoed, with the code and its wording in MessageText.
ResponseFields EchoAnswer(const RequestFields& request, std::string_view respCode);

// The plain answer as it is encrypted: every field of the shape at full width, behind a prefix that
// counts bytes. Care item blocks without an ItemCode go out as spaces.
std::string FrameAnswer(AnswerShape shape, const ResponseFields& fields);

// An amount in the text fields the client reads as a number: zero-filled, like 000220000.
std::string AmountText(std::int64_t amount, int width = MonthAmountWidth);

// The answer's RespCode, read back from a framed answer.
std::string RespCodeOf(std::string_view framedAnswer);

} // namespace dovra
