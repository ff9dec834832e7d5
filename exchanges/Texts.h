#pragma once

#include <QString>

namespace dovra {

// What the merchant is told of an exchange, whichever window asked for it.
namespace ExchangeTexts {
inline const QString CannotConnect = QStringLiteral("연결할 수 없습니다");
inline const QString CheckServerSettings = QStringLiteral("서버 접속 설정을 확인해주세요");
inline const QString UnreadableAnswer = QStringLiteral("서버의 응답을 읽을 수 없습니다");
inline const QString CannotEncrypt = QStringLiteral("전문을 암호화할 수 없어 보내지 않았습니다");
inline const QString EnterCardNumber = QStringLiteral("카드번호를 정확히 입력해주세요");
inline const QString Unexpected = QStringLiteral("처리 중 오류가 발생했습니다. 다시 시도해주세요");

inline const QString EnterAuthNo = QStringLiteral("인증번호를 입력해주세요");
inline const QString LoginRefused = QStringLiteral("사업자번호 또는 인증번호를 다시 확인해주시기 바랍니다.");
inline const QString MerchantNotSaved =
    QStringLiteral("가맹점 정보를 설정 파일에 저장할 수 없습니다. 저장 공간과 폴더 권한을 확인해주세요");

inline const QString EnterReason = QStringLiteral("치료금액 변경사유를 입력해주세요");
inline const QString CannotJournal = QStringLiteral("거래 기록을 저장할 수 없어 결제를 요청하지 않았습니다");
inline const QString OutcomeNotRecorded =
    QStringLiteral("거래 기록을 갱신할 수 없습니다. 승인은 정상 처리되었으며 취소되지 않습니다. 저장 공간과 "
                   "폴더 권한을 확인해주세요");
inline const QString CancellationNotKept =
    QStringLiteral("자동취소를 기록할 수 없습니다. 승인 결과를 가맹점 관리 화면에서 확인해주세요");
} // namespace ExchangeTexts

} // namespace dovra
