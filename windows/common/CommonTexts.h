#pragma once

#include "exchanges/Texts.h"

#include <QString>

namespace dovra {

// Texts that more than one window shows.
namespace CommonTexts {
inline const QString Title = QStringLiteral("도브라 승인 시스템");
inline const QString AppTitle = QStringLiteral("도브라");
inline const QString& Unexpected = ExchangeTexts::Unexpected;
inline const QString LogNotWritten =
    QStringLiteral("거래 로그를 기록할 수 없습니다. 저장 공간과 폴더 권한을 확인해주세요");
} // namespace CommonTexts

} // namespace dovra
