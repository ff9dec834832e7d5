#pragma once

#include "exchanges/CardLookup.h"
#include "windows/common/LookupStep.h"
#include "windows/common/Services.h"

#include <QWidget>

#include <array>
#include <string>

namespace dovra {

// What both card lookup windows do alike: the card handed to the lookup exchange, its outcome told or
// handed to the main window, after which the window closes.
class CardLookupWindow : public QWidget {
    Q_OBJECT
public:
    CardLookupWindow(const Services& services, LookupSource source, Entry::Kind kind, QWidget* main);

signals:
    void Stepped(const dovra::LookupStep& step);

protected:
    void closeEvent(QCloseEvent* event) override;
    // The lookup goes out on a connection of its own; once it has, the main window shows these groups.
    void Look(const std::string& typed, const std::array<QString, 4>& groups);
    void Tell(const QString& text);
    // A lookup that broke off may have filled part of the main window: it is emptied for a fresh start
    // and this window closes.
    void Abandon();
    // Refused before sending, for the reason given; the window has told it already.
    virtual void Refused(Refusal) {}

    const Services& services_;
    CardLookup* lookup_;

private:
    void Lookup_Finished(const LookupResult& result);

    std::array<QString, 4> groups_;
};

} // namespace dovra
