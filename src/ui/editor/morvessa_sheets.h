#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>

class QLabel;

namespace quillora {

class Appearance;
class GlassCapsuleButton;
class HelpSheetContainer;

// The label of the Morvessa sheets' action buttons: a symbol in the accent colour and a
// semibold title in the ink, side by side, centred.
class MorvessaButtonRow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MorvessaButtonRow)

public:
    MorvessaButtonRow(Appearance& appearance, const QString& symbol, const QString& title,
                      QWidget* parent = nullptr);
    ~MorvessaButtonRow() override;
    QString title() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyScheme();

    Appearance* m_appearance;
    QString m_symbol;
    QLabel* m_icon;
    QLabel* m_title;
};

// "Why Morvessa?": what sharing to the recruiting network means, with the (not yet usable)
// link to the Morvessa app. Deletes itself when closed.
HelpSheetContainer* makeWhyMorvessaSheet(Appearance& appearance, QWidget* opener);

// The confirmation before a push ("Share With Morvessa", with what the résumé still lacks) or
// a removal ("Remove From Morvessa"). Confirm closes the sheet and calls `confirm`; it is
// disabled while a résumé to be shared still lacks something. Deletes itself when closed.
HelpSheetContainer* makeMorvessaConfirmSheet(Appearance& appearance, bool shared, const QStringList& missing,
                                             std::function<void()> confirm, QWidget* opener);

} // namespace quillora
