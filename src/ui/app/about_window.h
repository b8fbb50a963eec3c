#pragma once

#include <QVariant>
#include <QWidget>

namespace quillora {

class Services;

// "Version 1.2 (34)". A value that is absent or not text falls back to "1.0" and "1" separately.
QString aboutVersionLine(const QVariant& shortVersion, const QVariant& buildNumber);
// The version line of this build.
QString aboutVersionLine();

// The maker's web page that "Open Website" opens.
QString quilloraWebsiteAddress();

// The About window: logo, name, version and tagline on a frosted card over the themed
// background, fixed at 760 × 620 (or at the screen's available area, where that is smaller).
class AboutWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutWindow)

public:
    explicit AboutWindow(Services& services, QWidget* parent = nullptr);

    // Opens the maker's web page in the user's browser; an address that does not parse does nothing.
    static bool openWebsite(const QString& address = quilloraWebsiteAddress());
};

} // namespace quillora
