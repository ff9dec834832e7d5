#pragma once

#include "foundations/Cp949.h"
#include "transport/Layouts.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

// A failing telegram check names the fields that differ, with both values. The expected telegrams stay
// written out by hand; the layout tables only divide the texts for the report, and every byte is still
// compared, those past the layout included.

struct LaidField {
    std::string name;
    int width;
};
using LaidOut = std::vector<LaidField>;

template <class Record>
LaidOut& Lay(LaidOut& laid, std::span<const dovra::Field<Record>> layout, const std::string& prefix = "") {
    for (const auto& field : layout) {
        laid.push_back({prefix + std::string(field.name), field.width});
    }
    return laid;
}

inline LaidOut LoginRequestLaidOut() {
    LaidOut laid;
    Lay<dovra::CommonHeader>(laid, dovra::CommonHeaderLayout);
    return Lay<dovra::LoginAuth>(laid, dovra::LoginAuthLayout);
}

// The 450 bytes of a request or, with answer set, a decrypted answer behind its length prefix.
inline LaidOut StandardLaidOut(bool answer = false) {
    LaidOut laid;
    if (answer) {
        laid.push_back({"PlainLength", dovra::PlainLengthWidth});
    }
    Lay<dovra::CommonHeader>(laid, dovra::CommonHeaderLayout);
    return Lay<dovra::TransactionBody>(laid, dovra::TransactionBodyLayout);
}

inline LaidOut BalanceAnswerLaidOut() { // Reserved145 divided
    LaidOut laid = StandardLaidOut(true);
    laid.pop_back();
    return Lay<dovra::BalanceSplit>(laid, dovra::BalanceSplitLayout);
}

inline LaidOut CardAnswerLaidOut() {
    LaidOut laid = StandardLaidOut(true);
    laid.push_back({"Reserved2", dovra::Reserved2Width});
    for (int i = 0; i < dovra::CareItemCount; ++i) {
        Lay<dovra::CareItem>(laid, dovra::CareItemLayout, "CareItems[" + std::to_string(i) + "].");
    }
    return laid;
}

inline LaidOut LoginAnswerLaidOut() {
    LaidOut laid{{"PlainLength", dovra::PlainLengthWidth}};
    Lay<dovra::CommonHeader>(laid, dovra::CommonHeaderLayout);
    Lay<dovra::LoginAnswer>(laid, dovra::LoginAnswerLayout);
    return Lay<dovra::MerchantBlock>(laid, dovra::MerchantBlockLayout);
}

inline std::string_view FieldBytes(std::string_view telegram, size_t at, size_t width) {
    return at < telegram.size() ? telegram.substr(at, width) : std::string_view{};
}

// Appends "name at byte n: expected …, actual …" when the two differ.
inline bool ReportField(testing::AssertionResult& report, std::string_view name, size_t at,
                        std::string_view expected, std::string_view actual) {
    if (expected != actual) {
        report << "\n  " << name << " at byte " << at + 1 << ": expected \"" << dovra::Cp949ToUtf8(expected)
               << "\", actual \"" << dovra::Cp949ToUtf8(actual) << "\"";
    }
    return expected != actual;
}

// The whole telegram against the one written out by hand.
inline testing::AssertionResult SameTelegram(std::string_view actual, std::string_view expected,
                                             const LaidOut& laid) {
    if (actual == expected) {
        return testing::AssertionSuccess();
    }
    testing::AssertionResult report = testing::AssertionFailure();
    size_t at = 0;
    for (const LaidField& field : laid) {
        auto width = static_cast<size_t>(field.width);
        ReportField(report, field.name, at, FieldBytes(expected, at, width), FieldBytes(actual, at, width));
        at += width;
    }
    ReportField(report, "after the layout", at, FieldBytes(expected, at, expected.npos),
                FieldBytes(actual, at, actual.npos));
    if (actual.size() != expected.size()) {
        report << "\n  length: expected " << expected.size() << ", actual " << actual.size();
    }
    return report;
}

// Only the fields named, each given as "Name=value" with the value written out by hand.
inline testing::AssertionResult HasFields(std::string_view telegram, const LaidOut& laid,
                                          const std::vector<std::string>& expected) {
    testing::AssertionResult report = testing::AssertionFailure();
    bool differs = false;
    for (std::string_view pair : expected) {
        std::string_view name = pair.substr(0, pair.find('='));
        size_t at = 0;
        auto field = laid.begin();
        for (; field != laid.end() && field->name != name; ++field) {
            at += static_cast<size_t>(field->width);
        }
        if (field == laid.end()) {
            return testing::AssertionFailure() << "no field " << name << " in the layout";
        }
        differs |= ReportField(report, name, at, pair.substr(name.size() + 1),
                               FieldBytes(telegram, at, static_cast<size_t>(field->width)));
    }
    return differs ? report : testing::AssertionSuccess();
}
