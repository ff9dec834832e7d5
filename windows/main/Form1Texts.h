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

inline const QString EnterReason = QStringLiteral("치료금액 변경사유를 입력해주세요");
inline const QString CannotJournal = QStringLiteral("거래 기록을 저장할 수 없어 결제를 요청하지 않았습니다");
inline const QString OutcomeNotRecorded =
    QStringLiteral("거래 기록을 갱신할 수 없습니다. 승인은 정상 처리되었으며 취소되지 않습니다. 저장 공간과 "
                   "폴더 권한을 확인해주세요");
inline const QString CancellationNotKept =
    QStringLiteral("자동취소를 기록할 수 없습니다. 승인 결과를 가맹점 관리 화면에서 확인해주세요");

inline const QString ApprovalDone = QStringLiteral("승인요청이 정상처리 되었습니다");
inline const QString CancellationDone = QStringLiteral("취소요청이 정상처리 되었습니다");
inline const QString BalanceDone = QStringLiteral("잔액조회가 정상처리 되었습니다");
inline const QString ApprovalNo = QStringLiteral("승인번호   : ");
inline const QString StudentName = QStringLiteral("학생이름   : ");
inline const QString SchoolName = QStringLiteral("학교명     : ");
inline const QString MonthSupport = QStringLiteral("월지원금액 : ");
inline const QString MonthUsed = QStringLiteral("월사용금액 : ");
inline const QString MonthRemain = QStringLiteral("월잔여금액 : ");
inline const QString SupportUsed = QStringLiteral("치료지원 월사용금액 : ");
inline const QString SupportRemain = QStringLiteral("치료지원 월잔여금액 : ");
inline const QString AfterSchoolUsed = QStringLiteral("방과후 월사용금액 :  ");
inline const QString AfterSchoolRemain = QStringLiteral("방과후 월잔여금액 :  ");
inline const QString ReceiptApproval = QStringLiteral("카드 승인");
inline const QString ReceiptCancellation = QStringLiteral("카드 취소");
} // namespace Form1Texts

} // namespace dovra
