#include "settings/preferencesdialog.h"

#include "data/connection.h"
#include "data/globals.h"
#include "data/schema.h"
#include "data/sqldialect.h"
#include "settings/openconnection.h"
#include "settings/serverlogin.h"
#include "settings/settingsstore.h"
#include "widgets/filedialog.h"
#include "widgets/logopicture.h"
#include "widgets/messagebox.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {
// MyCompany keeps this many characters of each detail; the boxes take no more.
constexpr int kCompanyTextLimit = 255;

// The folder of a stored path, or an empty text (the dialog then starts where it was last).
QString folderOf(const QString& path) {
    if (path.trimmed().isEmpty())
        return {};
    return QFileInfo(QDir::fromNativeSeparators(path.trimmed())).absolutePath();
}

// A caption and its box (with an optional button) on one row of a grid.
QLineEdit* addField(QGridLayout* grid, const QString& caption, const QString& name,
                    const QString& toolTip, QPushButton* button = nullptr) {
    auto* parent = grid->parentWidget();
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setToolTip(toolTip);
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QStringLiteral("lbl") + name.mid(3));
    label->setBuddy(box);
    const int row = grid->rowCount();
    grid->addWidget(label, row, 0);
    grid->addWidget(box, row, 1, 1, button ? 1 : 2);
    if (button)
        grid->addWidget(button, row, 2);
    return box;
}

QPushButton* browseButton(QWidget* parent, const QString& name, const QString& toolTip) {
    auto* button = new QPushButton(QStringLiteral("..."), parent);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    button->setAutoDefault(false);
    button->setFixedWidth(36);
    return button;
}

// A note in the muted colour of explanations, or in red when it warns.
void setNoteColour(QLabel* note, bool warning) {
    QPalette palette = note->palette();
    palette.setColor(QPalette::WindowText,
                     warning ? QColor(0xb0, 0x1c, 0x1c) : QColor(0x5b, 0x67, 0x76));
    note->setPalette(palette);
}

// A note under a tab's boxes.
QLabel* hintLabel(const QString& text, const QString& name, QWidget* parent) {
    auto* note = new QLabel(text, parent);
    note->setObjectName(name);
    note->setWordWrap(true);
    setNoteColour(note, false);
    return note;
}

// The logo's preview box, inside its border.
constexpr QSize kLogoPreviewSize(180, 60);
} // namespace

namespace {
// A company detail's box and its setting.
struct CompanyBox {
    QLineEdit* frmOptions::*box;
    QString (clsSettings::*get)() const;
    void (clsSettings::*set)(const QString&);
};

const CompanyBox kCompanyBoxes[] = {
    {&frmOptions::txtLogoPath, &clsSettings::LogoPath, &clsSettings::setLogoPath},
    {&frmOptions::txtCompanyName, &clsSettings::CompanyName, &clsSettings::setCompanyName},
    {&frmOptions::txtCompanyAdress, &clsSettings::CompanyAdress, &clsSettings::setCompanyAdress},
    {&frmOptions::txtCompanyCity, &clsSettings::CompanyCity, &clsSettings::setCompanyCity},
    {&frmOptions::txtCompanyPhone, &clsSettings::CompanyPhone, &clsSettings::setCompanyPhone},
    {&frmOptions::txtCompanyFax, &clsSettings::CompanyFax, &clsSettings::setCompanyFax},
    {&frmOptions::txtEMail, &clsSettings::EMail, &clsSettings::setEMail},
    {&frmOptions::txtWebPage, &clsSettings::WebPage, &clsSettings::setWebPage},
};
} // namespace

frmOptions::frmOptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(tr("Preferences"));
    setModal(true);

    tabPreferences = new QTabWidget(this);
    tabPreferences->setObjectName(QStringLiteral("tabPreferences"));
    tabPreferences->addTab(createCompanyTab(), tr("&Company"));
    m_quotesTab = createQuotesTab();
    tabPreferences->addTab(m_quotesTab, tr("&Quotes"));
    m_databaseTab = createDatabaseTab();
    tabPreferences->addTab(m_databaseTab, tr("&Database"));

    cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setToolTip(tr("Save the preferences and close (Enter)"));
    cmdOK->setDefault(true);
    cmdOK->setProperty("role", QStringLiteral("primary"));
    cmdCancel = new QPushButton(tr("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setToolTip(tr("Close without saving anything (Esc)"));
    cmdCancel->setAutoDefault(false);
    for (QPushButton* button : {cmdOK, cmdCancel})
        button->setMinimumWidth(88);
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(12);
    layout->addWidget(tabPreferences);
    layout->addLayout(buttons);
    setMinimumWidth(500);

    // The dialog sees Ctrl+Tab before its boxes do, wherever the focus is.
    auto* nextTab = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(nextTab, &QShortcut::activated, this, &frmOptions::Form_KeyDown);

    Form_Load();
}

QWidget* frmOptions::createCompanyTab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabCompany"));
    frCompanyInfo = new QGroupBox(tr("Company Info"), page);
    frCompanyInfo->setObjectName(QStringLiteral("frCompanyInfo"));
    auto* grid = new QGridLayout(frCompanyInfo);
    grid->setContentsMargins(12, 18, 12, 12);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    grid->setColumnStretch(1, 1);
    txtCompanyName = addField(grid, tr("Company &Name:"), QStringLiteral("txtCompanyName"),
                              tr("Your company's name, as printed on quotes"));
    txtCompanyAdress =
        addField(grid, tr("&Address:"), QStringLiteral("txtCompanyAdress"), tr("Street address"));
    txtCompanyCity = addField(grid, tr("C&ity, State Zip:"), QStringLiteral("txtCompanyCity"),
                              tr("City, state and zip code on one line"));
    txtCompanyPhone =
        addField(grid, tr("&Phone #:"), QStringLiteral("txtCompanyPhone"), tr("Phone number"));
    txtCompanyFax =
        addField(grid, tr("Fa&x #:"), QStringLiteral("txtCompanyFax"), tr("Fax number"));
    txtEMail = addField(grid, tr("E-&Mail:"), QStringLiteral("txtEMail"), tr("E-mail address"));
    txtWebPage =
        addField(grid, tr("&Web Page:"), QStringLiteral("txtWebPage"), tr("Web site address"));
    btnLogoBrowse = browseButton(frCompanyInfo, QStringLiteral("btnLogoBrowse"),
                                 tr("Choose the logo picture printed on quotes"));
    txtLogoPath = addField(grid, tr("Path to &Logo:"), QStringLiteral("txtLogoPath"),
                           tr("The picture file printed at the top of quotes"), btnLogoBrowse);
    for (const CompanyBox& f : kCompanyBoxes)
        (this->*f.box)->setMaxLength(kCompanyTextLimit);
    connect(btnLogoBrowse, &QPushButton::clicked, this, &frmOptions::btnLogoBrowse_Click);
    lblLogoPreview = new QLabel(frCompanyInfo);
    lblLogoPreview->setObjectName(QStringLiteral("lblLogoPreview"));
    lblLogoPreview->setProperty("role", QStringLiteral("picture"));
    lblLogoPreview->setAlignment(Qt::AlignCenter);
    lblLogoPreview->setFixedSize(kLogoPreviewSize + QSize(8, 8));
    lblLogoStatus = hintLabel(QString(), QStringLiteral("lblLogoStatus"), frCompanyInfo);
    auto* logoRow = new QHBoxLayout;
    logoRow->addWidget(lblLogoPreview);
    logoRow->addWidget(lblLogoStatus, 1);
    grid->addLayout(logoRow, grid->rowCount(), 1, 1, 2);
    connect(txtLogoPath, &QLineEdit::textChanged, this, &frmOptions::showLogoPreview);
    showLogoPreview();
    // The button follows its box in the tab order, as it stands beside it.
    setTabOrder(txtLogoPath, btnLogoBrowse);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(frCompanyInfo);
    layout->addStretch();
    return page;
}

QWidget* frmOptions::createQuotesTab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabQuotes"));
    auto* group = new QGroupBox(tr("New Quotes"), page);
    group->setObjectName(QStringLiteral("frQuoteDefaults"));
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(12, 18, 12, 12);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    grid->setColumnStretch(1, 1);

    spnQuoteValidDays = new QSpinBox(group);
    spnQuoteValidDays->setObjectName(QStringLiteral("spnQuoteValidDays"));
    spnQuoteValidDays->setRange(0, clsSettings::kLongestValidity);
    spnQuoteValidDays->setValue(clsSettings::kDefaultValidDays);
    spnQuoteValidDays->setToolTip(tr("How many days after its date a new estimate's prices hold "
                                     "(0 to %1); its \"Valid Until\" date starts from this")
                                      .arg(clsSettings::kLongestValidity));
    auto* validLabel = new QLabel(tr("&Valid for:"), group);
    validLabel->setObjectName(QStringLiteral("lblQuoteValidDays"));
    validLabel->setBuddy(spnQuoteValidDays);
    auto* days = new QHBoxLayout;
    days->addWidget(spnQuoteValidDays);
    days->addWidget(new QLabel(tr("days"), group));
    days->addStretch();
    grid->addWidget(validLabel, 0, 0);
    grid->addLayout(days, 0, 1);

    txtQuoteTerms = new QPlainTextEdit(group);
    txtQuoteTerms->setObjectName(QStringLiteral("txtQuoteTerms"));
    txtQuoteTerms->setTabChangesFocus(true);
    txtQuoteTerms->setPlaceholderText(
        tr("For example:\nA deposit of 30% is due on acceptance, the balance on completion.\n"
           "Payment within 14 days of invoice. Prices hold until the date above."));
    txtQuoteTerms->setToolTip(tr("The terms a new estimate starts with, printed below the "
                                 "quote's totals; at most %1 characters")
                                  .arg(QLocale().toString(clsSettings::kTermsLimit)));
    // Wrapped to the box, and as tall as the room the Company tab leaves: its own size hint would
    // make the dialog taller than the company details need.
    txtQuoteTerms->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtQuoteTerms->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    txtQuoteTerms->setMinimumHeight(96);
    auto* termsLabel = new QLabel(tr("&Terms:"), group);
    termsLabel->setObjectName(QStringLiteral("lblQuoteTerms"));
    termsLabel->setBuddy(txtQuoteTerms);
    grid->addWidget(termsLabel, 1, 0, Qt::AlignTop);
    grid->addWidget(txtQuoteTerms, 1, 1);
    grid->setRowStretch(1, 1);
    lblQuoteTermsCount = new QLabel(group);
    lblQuoteTermsCount->setObjectName(QStringLiteral("lblQuoteTermsCount"));
    lblQuoteTermsCount->setAlignment(Qt::AlignRight);
    grid->addWidget(lblQuoteTermsCount, 2, 1);
    connect(txtQuoteTerms, &QPlainTextEdit::textChanged, this, &frmOptions::showTermsCount);

    chkQuoteAcceptanceLine =
        new QCheckBox(tr("Print an &acceptance line for the customer's signature"), group);
    chkQuoteAcceptanceLine->setObjectName(QStringLiteral("chkQuoteAcceptanceLine"));
    chkQuoteAcceptanceLine->setToolTip(
        tr("Quotes end with \"Accepted by ____  Date ____\" for the customer to sign"));
    grid->addWidget(chkQuoteAcceptanceLine, 3, 1);
    setTabOrder(spnQuoteValidDays, txtQuoteTerms);
    setTabOrder(txtQuoteTerms, chkQuoteAcceptanceLine);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(group, 1);
    layout->addWidget(hintLabel(tr("Kept in the database with the company details, so every "
                                   "estimator of this file starts quotes alike."),
                                QStringLiteral("lblQuotesNote"), page));
    showTermsCount();
    return page;
}

void frmOptions::showTermsCount() {
    const qsizetype used = txtQuoteTerms->toPlainText().size();
    const bool tooLong = used > clsSettings::kTermsLimit;
    lblQuoteTermsCount->setText(tr("%1 of %2 characters%3")
                                    .arg(QLocale().toString(used),
                                         QLocale().toString(clsSettings::kTermsLimit),
                                         tooLong ? tr(": too long") : QString()));
    setNoteColour(lblQuoteTermsCount, tooLong);
}

bool frmOptions::termsFit() {
    const qsizetype used = txtQuoteTerms->toPlainText().size();
    if (used <= clsSettings::kTermsLimit)
        return true;
    tabPreferences->setCurrentWidget(m_quotesTab);
    const qsizetype excess = used - clsSettings::kTermsLimit;
    showMessage(tr("The terms are %1 characters long; a quote keeps at most %2. Shorten them by "
                   "%3 %4.")
                    .arg(QLocale().toString(used), QLocale().toString(clsSettings::kTermsLimit),
                         QLocale().toString(excess),
                         excess == 1 ? tr("character") : tr("characters")),
                QMessageBox::Ok, QMessageBox::Warning, tr("Preferences"));
    // The cursor waits where the room ends, with everything typed still there.
    QTextCursor cursor = txtQuoteTerms->textCursor();
    cursor.setPosition(clsSettings::kTermsLimit);
    txtQuoteTerms->setTextCursor(cursor);
    txtQuoteTerms->setFocus();
    return false;
}

QWidget* frmOptions::createDatabaseTab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabDatabase"));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(12, 16, 12, 12);
    layout->addLayout(grid);
    btnSelectDB = browseButton(page, QStringLiteral("btnSelectDB"),
                               tr("Choose another database file; it is tried at once and used "
                                  "once you press OK"));
    txtPathToDB = addField(grid, tr("Path to Data&base:"), QStringLiteral("txtPathToDB"),
                           tr("The database file holding your materials, estimates and company "
                              "details (empty for the default file), or a database server's "
                              "address: postgresql://host/dbname"),
                           btnSelectDB);
    connect(btnSelectDB, &QPushButton::clicked, this, &frmOptions::btnSelectDB_Click);
    cmdCreateDB = new QPushButton(tr("C&reate"), page);
    cmdCreateDB->setObjectName(QStringLiteral("cmdCreateDB"));
    cmdCreateDB->setAutoDefault(false);
    cmdCreateDB->setToolTip(tr("Make a new, empty database there: a new file at the path, or the "
                               "program's tables in an empty database on the server"));
    connect(cmdCreateDB, &QPushButton::clicked, this, &frmOptions::cmdCreateDB_Click);
    auto* actions = new QHBoxLayout;
    actions->addStretch();
    actions->addWidget(cmdCreateDB);
    layout->addLayout(actions);
    setTabOrder(txtPathToDB, btnSelectDB);
    setTabOrder(btnSelectDB, cmdCreateDB);
    layout->addSpacing(10);
    layout->addWidget(
        hintLabel(tr("All your materials, estimates and company details live in this database: "
                     "a file on this computer, or, for an office of several estimators, a "
                     "database on a PostgreSQL server, named by its address, for example "
                     "postgresql://office-server/plenwick. The user name and password come from "
                     "the address or the server's usual settings; a password typed when asked "
                     "is kept only until the program closes. The program changes to another "
                     "database only when you press OK, and only if it can be opened."),
                  QStringLiteral("lblDatabaseNote"), page));
    layout->addStretch();
    return page;
}

void frmOptions::Form_Load() {
    ReadConfiguration();
}

void frmOptions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // In the middle of the screen, once: the user may move it afterwards.
    if (m_centred)
        return;
    m_centred = true;
    if (const QScreen* shown = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(shown->availableGeometry().center());
        move(frame.topLeft());
    }
}

void frmOptions::ReadConfiguration() {
    if (!gSettings)
        return;
    for (const CompanyBox& f : kCompanyBoxes)
        (this->*f.box)->setText((gSettings->*f.get)());
    spnQuoteValidDays->setValue(gSettings->QuoteValidDays());
    txtQuoteTerms->setPlainText(gSettings->QuoteTerms());
    chkQuoteAcceptanceLine->setChecked(gSettings->QuoteAcceptanceLine());
    txtPathToDB->setText(gSettings->PathToDB());
    mOldPathToDB = txtPathToDB->text();
}

void frmOptions::showCompanyDetails() {
    tabPreferences->setCurrentWidget(frCompanyInfo->parentWidget());
    txtCompanyName->setFocus();
}

void frmOptions::Form_KeyDown() {
    const int next = tabPreferences->currentIndex() + 1;
    tabPreferences->setCurrentIndex(next < tabPreferences->count() ? next : 0);
}

QString frmOptions::chooseFile(FileDialogRequest request) {
    if (request.folder.isEmpty())
        request.folder = m_lastFolder;
    const QString file = askForFileName(request, this);
    if (file.isEmpty())
        return {};
    m_lastFolder = QFileInfo(file).absolutePath();
    return QDir::toNativeSeparators(file);
}

void frmOptions::btnSelectDB_Click() {
    FileDialogRequest request;
    request.title = QStringLiteral("Select Database");
    request.filter = QStringLiteral("MS Access DB (*.mdb *.mde)");
    request.defaultSuffix = QStringLiteral("mdb");
    request.folder = folderOf(gSettings ? gSettings->PathToDB() : QString());
    QString file = chooseFile(request);
    if (file.isEmpty() || file == txtPathToDB->text())
        return;
    Connection spare;
    if (TryOpenConnection(file, gTestConnection ? *gTestConnection : spare))
        txtPathToDB->setText(file);
}

void frmOptions::btnLogoBrowse_Click() {
    FileDialogRequest request;
    request.title = QStringLiteral("Select Company Logo");
    request.folder = logoStartFolder();
    request.filter = logoPictureFilters();
    request.defaultSuffix = QStringLiteral("png");
    const QString file = chooseFile(request);
    if (file.isEmpty())
        return; // cancelled: the logo stays as it was
    QString problem;
    if (file.size() > kCompanyTextLimit)
        problem = tr("The path of this picture is longer than %1 characters, more than the "
                     "database keeps. Move the picture to a folder with a shorter path.")
                      .arg(kCompanyTextLimit);
    else if (!QImageReader(file).canRead())
        problem = tr("This file is not a picture the program can show. Choose a %1 picture.")
                      .arg(logoPictureKinds());
    if (!problem.isEmpty()) {
        showMessage(file + QStringLiteral("\n\n") + problem, QMessageBox::Ok, QMessageBox::Warning,
                    request.title);
        return;
    }
    txtLogoPath->setText(file);
}

QString frmOptions::logoStartFolder() const {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return pictures;
    const QString current = folderOf(txtLogoPath->text());
    if (!current.isEmpty() && QFileInfo(current).isDir())
        return current;
    return QDir::homePath();
}

void frmOptions::showLogoPreview() {
    // Told here, while the logo is chosen, rather than first on a printed quote.
    const QString path = txtLogoPath->text();
    const bool none = path.trimmed().isEmpty();
    const qreal ratio = devicePixelRatioF();
    QImage picture;
    QString status = tr("No logo: quotes are printed without one.");
    if (!none) {
        picture = loadLogoPicture(path, kLogoPreviewSize * ratio);
        picture.setDevicePixelRatio(ratio);
        if (!picture.isNull())
            status = tr("Printed at the top right of the quote.");
        else if (QFileInfo(path).isFile())
            status = tr("This picture cannot be read: it is not a %1 picture, or it is damaged.")
                         .arg(logoPictureKinds());
        else
            status = tr("This picture cannot be read: there is no such file.");
    }
    lblLogoPreview->setPixmap(QPixmap::fromImage(picture));
    lblLogoStatus->setText(status);
    setNoteColour(lblLogoStatus, !none && picture.isNull());
}

void frmOptions::cmdCreateDB_Click() {
    const QString path = txtPathToDB->text().trimmed();
    const QString title = tr("Create Database");
    if (path.isEmpty()) {
        ShowError(tr("Type the path of the new file, or the address of an empty database on a "
                     "server (postgresql://host/dbname), first."),
                  title);
        txtPathToDB->setFocus();
        return;
    }
    const bool server = SqlDialect::isServerAddress(path);
    if (server && !askServerPasswordIfNeeded(path, this))
        return;
    QString error;
    if (!(server ? Schema::createOnServer(path, &error) : Schema::createFile(path, &error))) {
        ShowError(tr("No database was created.\n\n") + error, title);
        txtPathToDB->setFocus();
        return;
    }
    showMessage(tr("The database is ready, empty. Press OK to work in it."), QMessageBox::Ok,
                QMessageBox::Information, title);
}

bool frmOptions::switchDatabase(QString path) {
    // The new file is tried before the old one is let go: a file that cannot be opened leaves
    // the program on its database, with its messages shown.
    if (!askServerPasswordIfNeeded(path, this))
        return false;
    Connection spare;
    if (!TryOpenConnection(path, gTestConnection ? *gTestConnection : spare))
        return false;
    if (m_leaveGuard && !m_leaveGuard())
        return false;
    QString oldPath = gConnection->databasePath();
    gConnection->close();
    if (OpenConnection(path, *gConnection))
        return true;
    // The file went away since it was tried: back to the old one.
    OpenConnection(oldPath, *gConnection);
    return false;
}

bool frmOptions::SaveConfiguration() {
    if (!gSettings || !gConnection)
        return false;
    // Blanks around a path are never part of it (the settings store it trimmed too).
    // Checked before anything changes: a refused OK leaves the database as it was.
    if (!termsFit())
        return false;
    const QString path = txtPathToDB->text().trimmed();
    const bool switching = path != mOldPathToDB.trimmed();
    if (switching && !switchDatabase(path)) {
        tabPreferences->setCurrentWidget(m_databaseTab);
        txtPathToDB->setFocus();
        return false;
    }
    for (const CompanyBox& f : kCompanyBoxes)
        (gSettings->*f.set)((this->*f.box)->text());
    // A box mid-edit holds text the spin box has not taken yet; interpretText takes it.
    spnQuoteValidDays->interpretText();
    gSettings->setQuoteValidDays(spnQuoteValidDays->value());
    gSettings->setQuoteTerms(txtQuoteTerms->toPlainText());
    gSettings->setQuoteAcceptanceLine(chkQuoteAcceptanceLine->isChecked());
    // An empty path is stored empty: it names the default file at every start.
    gSettings->setPathToDB(path);
    gSettings->SaveSettings();
    mOldPathToDB = path;
    emit settingsSaved(switching);
    return true;
}

void frmOptions::cmdOK_Click() {
    if (SaveConfiguration())
        accept();
}

void frmOptions::cmdCancel_Click() {
    reject();
}
