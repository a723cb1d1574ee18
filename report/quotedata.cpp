#include "report/quotedata.h"

#include "settings/settingsstore.h"

CompanyDetails CompanyDetails::fromSettings(const clsSettings& settings) {
    return {settings.CompanyName(),  settings.CompanyAdress(), settings.CompanyCity(),
            settings.CompanyPhone(), settings.CompanyFax(),    settings.EMail(),
            settings.LogoPath(),     settings.WebPage(),       settings.QuoteAcceptanceLine()};
}
