#include "help/aboutbox.h"

#include "data/connection.h"
#include "data/globals.h"

#include "help/desktopprograms.h"
#include "help/linklabel.h"
#include "help/programlogo.h"
#include "widgets/messagebox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVersionNumber>

#ifndef PLENWICK_VERSION
#error "PLENWICK_VERSION names the program's version; the build defines it"
#endif

namespace {
const QString kProductName = QStringLiteral("Plenwick");
const QString kWebAddress = QStringLiteral("https://www.dorvane.com/plenwick");
constexpr int kLogoSize = 96;
} // namespace

QString programVersionText() {
    const QVersionNumber version = QVersionNumber::fromString(QStringLiteral(PLENWICK_VERSION));
    return QStringLiteral("Version %1.%2.%3")
        .arg(version.majorVersion())
        .arg(version.minorVersion())
        .arg(version.microVersion());
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(programLogo(kLogoSize));
    Image1->setFixedSize(kLogoSize, kLogoSize);
    Image1->setAlignment(Qt::AlignCenter);

    lblTitle = new QLabel(kProductName, this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.8);
    titleFont.setWeight(QFont::DemiBold);
    lblTitle->setFont(titleFont);
    lblDescription = new QLabel(tr("Quick And Accurate Materials And Labor Estimates"), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setProperty("role", QStringLiteral("emphasis"));
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setTextInteractionFlags(Qt::TextSelectableByMouse); // to copy into a report
    lblDisclaimer = new QLabel(tr("Plenwick is provided as is, without warranty of any kind. "
                                  "Check every quote before you send it."),
                               this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setMinimumWidth(320);
    QPalette smallPrint = lblDisclaimer->palette();
    smallPrint.setColor(QPalette::WindowText, QColor(0x5b, 0x67, 0x76));
    lblDisclaimer->setPalette(smallPrint);
    Label1 = linkLabel(this, QStringLiteral("Label1"), kWebAddress);
    // On a database server: who else is working in the same data.
    lblDatabaseUsers = new QLabel(this);
    lblDatabaseUsers->setObjectName(QStringLiteral("lblDatabaseUsers"));
    lblDatabaseUsers->setWordWrap(true);
    lblDatabaseUsers->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblDatabaseUsers->setVisible(false);

    cmdSysInfo = new QPushButton(tr("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setToolTip(tr("Show what the computer reports about itself"));
    cmdSysInfo->setAutoDefault(false);
    cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setToolTip(tr("Close (Enter or Esc)"));
    cmdOK->setDefault(true);
    cmdOK->setProperty("role", QStringLiteral("primary"));
    cmdOK->setMinimumWidth(88);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

    auto* text = new QVBoxLayout;
    text->setSpacing(4);
    text->addWidget(lblTitle);
    text->addWidget(lblDescription);
    text->addWidget(lblVersion);
    text->addSpacing(12);
    text->addWidget(lblDisclaimer);
    text->addWidget(Label1);
    text->addWidget(lblDatabaseUsers);
    text->addStretch();
    auto* top = new QHBoxLayout;
    top->setSpacing(18);
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSysInfo);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->setSpacing(18);
    layout->addLayout(top);
    layout->addLayout(buttons);
    // As large as its texts need, and no larger.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    cmdOK->setFocus();

    Form_Load();
}

void frmAbout::Form_Load() {
    setWindowTitle(QStringLiteral("About ") + kProductName);
    lblVersion->setText(programVersionText());
    if (gConnection && gConnection->isOpen() && gConnection->database().isServer()) {
        const QStringList others = gConnection->othersConnected();
        lblDatabaseUsers->setText(
            others.isEmpty()
                ? tr("No one else is working in this database just now.")
                : tr("Also working in this database: %1.").arg(others.join(QStringLiteral(", "))));
        lblDatabaseUsers->setVisible(true);
    }
}

void frmAbout::StartSysInfo() {
    const auto program = systemInformationProgram();
    if (!program || !startProgram(*program))
        showMessage(QStringLiteral("System Information Is Unavailable At This Time"),
                    QMessageBox::Ok, QMessageBox::NoIcon, kProductName);
}
