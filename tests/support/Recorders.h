#pragma once

#include "foundations/Clock.h"
#include "windows/common/Seams.h"

#include <QString>

#include <functional>
#include <numeric>
#include <stdexcept>
#include <vector>

struct RecordedMessage {
    QString text, title;
    dovra::MessageIcon icon;
};

// A settable clock that can be told to fail: a seam that throws inside an event handler.
class FaultyClock final : public dovra::Clock {
public:
    explicit FaultyClock(dovra::LocalTime t) : now_(t) {}
    dovra::LocalTime Now() const override {
        return failing ? throw std::runtime_error("clock unavailable") : now_;
    }
    void Set(dovra::LocalTime t) { now_ = t; }
    bool failing = false;

private:
    dovra::LocalTime now_;
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
        ++adds, ++icons, lastTip = tip, doubleClick = std::move(onDoubleClick);
    }
    void Remove() override { --icons; }
    int adds = 0;
    int icons = 0;
    QString lastTip;
    std::function<void()> doubleClick;
};

class RecordingPortal final : public dovra::PortalLauncher {
public:
    void Open(const QUrl& address) override { opened.push_back(address); }
    std::vector<QUrl> opened;
};

// Records what a receipt draws, in millimetres. Texts are measured as the fixed-pitch receipt font
// sets them: a single-byte character is 1.6 mm wide and a Hangul syllable twice that.
struct DrawnText {
    double x, y;
    QString text;
};

struct DrawnPage {
    std::vector<DrawnText> texts;
    QString font;
    bool ended = false;
    bool discarded = false;
};

class RecordingCanvas : public dovra::ReceiptCanvas {
public:
    explicit RecordingCanvas(DrawnPage& page) : page_(page) {}
    void SetFont(const QString& family, int points, bool bold) override {
        page_.font = QStringLiteral("%1 %2%3").arg(family).arg(points).arg(bold ? " bold" : "");
    }
    double TextWidth(const QString& text) override {
        return std::accumulate(text.begin(), text.end(), 0.0, [](double width, QChar c) {
            return width + (c.unicode() < 0x80 ? 1.6 : 3.2);
        });
    }
    void DrawText(double x, double y, const QString& text) override { page_.texts.push_back({x, y, text}); }
    void DrawRectangle(double, double, double, double) override {}
    void EndDocument() override { page_.ended = true; }
    void Discard() noexcept override { page_.discarded = true; }

private:
    DrawnPage& page_;
};
