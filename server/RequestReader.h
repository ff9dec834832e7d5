#pragma once

#include "transport/Layouts.h"

#include <string>
#include <string_view>

namespace dovra {

// The approval port serves every exchange; the manual lookup port only the card lookup.
enum class Port { Approval, Lookup };

struct Request {
    std::string body; // the telegram as received, without its length prefix
    RequestFields fields;
    std::string peer; // the sender's address without its port: sessions and guesses are kept by it
};

struct ReadResult {
    enum class Kind {
        Request,    // every field cut and checked
        Malformed,  // the header could be read and is in request.fields, for the format refusal
        Unreadable, // not even a header: the connection is closed without an answer
    };
    Kind kind = Kind::Unreadable;
    Request request;
    std::string problem; // for the exchange log
};

// Reads a decrypted request: the plain text ends at the library's NUL, starts with the character
// count of the body, and the body must have the width of its MsgType's layout, with digits in its
// numeric fields.
ReadResult ReadRequest(std::string_view decrypted, Port port);

} // namespace dovra
