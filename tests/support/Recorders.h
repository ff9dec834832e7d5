#pragma once

#include "windows/common/Seams.h"

#include <QString>

#include <functional>
#include <vector>

struct RecordedMessage {
    QString text;
    QString title;
    dovra::MessageIcon icon;
};

class RecordingMessageBoxes final : public dovra::MessageBoxes {
public:
    void Show(QWidget*, const QString& text, const QString& title, dovra::MessageIcon icon) override {
        shown.push_back({text, title, icon});
    }
    std::vector<RecordedMessage> shown;
};

class RecordingTray final : public dovra::TrayBackend {
public:
    void Add(const QString& tip, const QIcon&, std::function<void()> onDoubleClick) override {
        ++adds;
        ++icons;
        lastTip = tip;
        doubleClick = std::move(onDoubleClick);
    }
    void Remove() override {
        ++removes;
        --icons;
    }
    int adds = 0;
    int removes = 0;
    int icons = 0;
    QString lastTip;
    std::function<void()> doubleClick;
};

class RecordingPortal final : public dovra::PortalLauncher {
public:
    void Open(const QUrl& address) override { opened.push_back(address); }
    std::vector<QUrl> opened;
};
