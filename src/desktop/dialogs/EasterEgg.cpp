#include "desktop/dialogs/EasterEgg.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "server/ServerAddress.h"
#include "server/WebGrab.h"

namespace {

QLabel* WrappedText(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

}  // namespace

CEasterEgg::CEasterEgg(QWidget* parent)
    : QDialog(parent),
      picture_(new QLabel),
      homePage_(new QLabel),
      close_(new QPushButton(QStringLiteral("OK"))) {
    setWindowTitle(QString::fromLatin1(Caption));
    picture_->setPixmap(QPixmap(QString::fromLatin1(PicturePath)));
    picture_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    auto* title =
        new QLabel(QStringLiteral("Kestrovin ") + QString::fromLatin1(CWebGrab::kClientVersion));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    title->setFont(titleFont);

    auto* libraries = new QGroupBox(QStringLiteral("Built on"));
    auto* grid = new QGridLayout(libraries);
    grid->setHorizontalSpacing(16);
    int row = 0;
    for (const Library& library : Libraries) {
        auto* name = new QLabel(QString::fromLatin1(library.Name));
        QFont bold = name->font();
        bold.setBold(true);
        name->setFont(bold);
        grid->addWidget(name, row, 0);
        grid->addWidget(new QLabel(QString::fromLatin1(library.Licence)), row, 1);
        grid->addWidget(new QLabel(QString::fromLatin1(library.UsedFor)), row, 2);
        ++row;
    }
    grid->setColumnStretch(2, 1);

    const QString url = HomePageUrl();
    homePage_->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(url.toHtmlEscaped()));
    homePage_->setTextFormat(Qt::RichText);
    homePage_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    homePage_->setCursor(Qt::PointingHandCursor);
    connect(homePage_, &QLabel::linkActivated, this, &CEasterEgg::OpenHomePage);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(
        WrappedText(QStringLiteral("Counts your keystrokes, mouse clicks and mouse travel, and "
                                   "sends them to your statistics account.")));
    text->addWidget(libraries);
    text->addWidget(WrappedText(
        QStringLiteral("Thank you to everyone who writes and looks after these libraries.")));
    auto* homeRow = new QHBoxLayout;
    homeRow->addWidget(new QLabel(QStringLiteral("Project Homepage:")));
    homeRow->addWidget(homePage_, 1);
    text->addLayout(homeRow);
    text->addStretch();

    auto* body = new QHBoxLayout;
    body->addWidget(picture_);
    body->addSpacing(8);
    body->addLayout(text, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close_);
    close_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    close_->setFocus();
}

QString CEasterEgg::HomePageUrl() {
    return QString::fromStdString(ServerAddress::FromEnvironment().WebPageUrl("/"));
}

void CEasterEgg::OpenHomePage() {
    if (QDesktopServices::openUrl(QUrl(HomePageUrl()))) {
        return;
    }
    QApplication::beep();
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Kestrovin"),
                    QString::fromLatin1(OpenFailedMessage), QMessageBox::Ok, this);
    box.setWindowModality(Qt::WindowModal);
    box.exec();
}
