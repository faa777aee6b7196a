#pragma once
// The about box: product name, version and build, the home page and the
// support mail. A window without border or title bar, centred on the main
// window.

#include <QDialog>

class QLabel;
class QPushButton;

namespace vk {

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    // The design texts of the two version labels, used as formats.
    static const char* const VersionFormat; // "Версия %s"
    static const char* const BuildFormat;   // "(Сборка %s)"

    // fullVersion is the program's version unless a test passes another.
    explicit TfrmAbout(QWidget* mainWindow = nullptr);
    TfrmAbout(QWidget* mainWindow, const QString& fullVersion);

    // "О программе...": shows the box modally over the main window.
    static void Execute(QWidget* mainWindow);

    // The addresses behind the two links.
    [[nodiscard]] const QString& HomePageLink() const { return m_homePageLink; }
    [[nodiscard]] const QString& MailLink() const { return m_mailLink; }

    QLabel* lblProduct = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblBuild = nullptr;
    QLabel* lblHomePage = nullptr;
    QLabel* lblMailCaption = nullptr;
    QLabel* lblMail = nullptr;
    QPushButton* btnOk = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString m_homePageLink;
    QString m_mailLink;
};

// A design text with its first "%s" replaced by value ("Версия %s", "1.2").
[[nodiscard]] QString FormatDesignText(const QString& designText, const QString& value);

} // namespace vk
