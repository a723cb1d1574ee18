#include "report/datareport.h"

#include "widgets/logopicture.h"
#include "widgets/messagebox.h"

namespace {
// A logo is kept at no more than 600 dots per inch of its box: plenty for paper, and a picture
// of any size costs the quote no more memory or file size than that.
constexpr QSize kLargestLogo(3465 * 600 / 1440, 1080 * 600 / 1440);
} // namespace

DataReport1::DataReport1(const DataEnvironment& source, const CompanyDetails& company)
    : m_source(source), m_company(company) {}

void DataReport1::DataReport_Initialize() {
    m_exportFormats = quoteExportFormats();
    m_texts.logo = QImage();
    m_texts.headerHeight = 300;
    m_logoFailed = false;
    if (!m_company.logoPath.trimmed().isEmpty()) {
        m_texts.logo = loadLogoPicture(m_company.logoPath, kLargestLogo);
        m_logoFailed = m_texts.logo.isNull();
        if (!m_logoFailed)
            m_texts.headerHeight = 1080;
    }
    m_texts.companyName = m_company.name;
    m_texts.companyAddress = m_company.address;
    m_texts.companyCity = m_company.city;
    m_texts.phoneLine =
        QStringLiteral("Phone: ") + m_company.phone + QStringLiteral(" Fax: ") + m_company.fax;
    m_texts.emailLine =
        m_company.email.isEmpty() ? QString() : QStringLiteral("EMail: ") + m_company.email;
    m_texts.webLine =
        m_company.webSite.isEmpty() ? QString() : QStringLiteral("Web: ") + m_company.webSite;
    m_texts.acceptanceLine = m_company.acceptanceLine;
    m_texts.estimator = m_source.data().header.estimator;
    m_texts.quoteNumber = m_source.data().header.quoteNumber;
}

ReportLayout DataReport1::layout(const QDate& printed) const {
    return layOutQuote(m_source.data(), m_texts, printed);
}

void DataReport1::DataReport_Error(qint64 number, const QString& description,
                                   const QString& source) {
    showMessage(QString::number(number) + QStringLiteral(" - ") + description +
                    QStringLiteral(": ") + source,
                QMessageBox::Ok, QMessageBox::NoIcon, QStringLiteral("DataReport Error"));
}
