#pragma once

#include <QString>

#include <array>

namespace dovra {

// Everything the main window says, for Form1.cpp and Form1Entry.cpp alike.
namespace Form1Texts {
inline const QString CardReader = QStringLiteral("카드리더기");
inline const QString ManualEntry = QStringLiteral("수기입력");
inline const QString ChangeAmount = QStringLiteral("금액 변경");
inline const QString Pay = QStringLiteral("결제하기");
inline const QString HomePage = QStringLiteral("홈페이지");
inline const QString Logout = QStringLiteral("로그아웃");
inline const QString TrayTip = QStringLiteral("도브라");
inline const QString DigitsOnly = QStringLiteral("숫자만 입력하세요");
inline const QString DigitsOnlyTitle = QStringLiteral("수정");

// The amount-change reasons in list order; the last one asks for the merchant's own words.
inline const std::array<QString, 8> ReasonList{
    QStringLiteral("1 : 월 잔액사용 후, 나머지 본인부담 결제"),
    QStringLiteral("2 : 치료계획서 변경 치료단가 미반영(오기재)"),
    QStringLiteral("3 : 이전 회차분(2회분) 동시결제"),
    QStringLiteral("4 : 치료과목 2개 이상 동시결제"),
    QStringLiteral("5 : 그룹수업 일시결제"),
    QStringLiteral("6 : 교육청 승인 일시결제"),
    QStringLiteral("7 : 방과후지원 치료비 결제"),
    QStringLiteral("8 : 기타"),
};
inline constexpr int OwnWordsReason = 7;
} // namespace Form1Texts

} // namespace dovra
