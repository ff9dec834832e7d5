#include "windows/common/Services.h"

#include "foundations/Ini.h"

namespace dovra {

std::optional<ServerAddress> ReadApprovalServer(const SettingsPaths& paths) {
    QString host = QString::fromStdString(ReadIni("PellumInfo", "dovra_Ip", paths.DovraSetting())).trimmed();
    QString portText =
        QString::fromStdString(ReadIni("PellumInfo", "dovra_Port", paths.DovraSetting())).trimmed();
    bool numeric = false;
    uint port = portText.toUInt(&numeric);
    if (host.isEmpty() || !numeric || port == 0 || port > 65535) {
        return std::nullopt;
    }
    return ServerAddress{host, static_cast<quint16>(port)};
}

} // namespace dovra
