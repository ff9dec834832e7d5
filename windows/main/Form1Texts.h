#pragma once

#include <QString>

namespace dovra {

// Everything the main window itself says, for Form1.cpp and Form1Entry.cpp alike; what it is told of
// an exchange comes with the outcome.
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

} // namespace Form1Texts

} // namespace dovra
