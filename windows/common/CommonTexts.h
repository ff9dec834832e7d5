#pragma once

#include <QString>

namespace dovra {

// Texts that more than one window shows.
namespace CommonTexts {
inline const QString Title = QStringLiteral("도브라 승인 시스템");
inline const QString AppTitle = QStringLiteral("도브라");
inline const QString CannotConnect = QStringLiteral("연결할 수 없습니다");
inline const QString CheckServerSettings = QStringLiteral("서버 접속 설정을 확인해주세요");
inline const QString UnreadableAnswer = QStringLiteral("서버의 응답을 읽을 수 없습니다");
inline const QString CannotEncrypt = QStringLiteral("전문을 암호화할 수 없어 보내지 않았습니다");
inline const QString EnterCardNumber = QStringLiteral("카드번호를 정확히 입력해주세요");
inline const QString Unexpected = QStringLiteral("처리 중 오류가 발생했습니다. 다시 시도해주세요");
inline const QString LogNotWritten =
    QStringLiteral("거래 로그를 기록할 수 없습니다. 저장 공간과 폴더 권한을 확인해주세요");
} // namespace CommonTexts

} // namespace dovra
