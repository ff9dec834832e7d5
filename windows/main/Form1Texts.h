#pragma once

#include <QString>

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

inline const QString EnterReason = QStringLiteral("치료금액 변경사유를 입력해주세요");
inline const QString CannotJournal = QStringLiteral("거래 기록을 저장할 수 없어 결제를 요청하지 않았습니다");
inline const QString OutcomeNotRecorded =
    QStringLiteral("거래 기록을 갱신할 수 없습니다. 승인은 정상 처리되었으며 취소되지 않습니다. 저장 공간과 "
                   "폴더 권한을 확인해주세요");
inline const QString CancellationNotKept =
    QStringLiteral("자동취소를 기록할 수 없습니다. 승인 결과를 가맹점 관리 화면에서 확인해주세요");
} // namespace Form1Texts

} // namespace dovra
