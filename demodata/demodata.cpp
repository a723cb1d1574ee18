#include "demodata/demodata.h"

#include "data/database.h"
#include "data/money.h"
#include "data/pricing.h"
#include "data/schema.h"
#include "data/sqldialect.h"

#include <QDateTime>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

// Draws from the generator with our own arithmetic rather than the standard distributions, whose
// results differ between standard libraries: a seed then gives the same file everywhere.
class Dice {
public:
    explicit Dice(quint32 seed) : m_engine(seed) {}

    // A whole number in [lo, hi].
    int between(int lo, int hi) {
        if (hi <= lo)
            return lo;
        const quint64 range = quint64(qint64(hi) - lo) + 1;
        const quint64 limit = (quint64(1) << 32) - ((quint64(1) << 32) % range);
        quint64 draw = 0;
        do
            draw = m_engine();
        while (draw >= limit);
        return int(lo + qint64(draw % range));
    }
    // A fraction in [0, 1).
    double fraction() { return double(m_engine()) / 4294967296.0; }
    bool chance(double p) { return fraction() < p; }
    template <typename T, size_t N> const T& pick(const T (&items)[N]) {
        return items[size_t(between(0, int(N) - 1))];
    }

private:
    std::mt19937 m_engine;
};

const char* const kMakerStems[] = {
    "Brightline", "Keystone",  "Ironwood",   "Summit",    "Bluewater", "Cardinal", "Redstone",
    "Northgate",  "Pioneer",   "Granite",    "Lakeshore", "Silverton", "Everett",  "Hollis",
    "Mercer",     "Prairie",   "Copperhill", "Westbrook", "Tidewater", "Falcon",   "Harbor",
    "Oakridge",   "Crestview", "Whitman",    "Sterling",  "Allegheny", "Beacon",   "Cascade",
    "Dunmore",    "Fairbanks", "Gladstone",  "Kingsley",  "Linden",    "Marlow",   "Pinecrest",
    "Ridgeway",   "Stanford",  "Trident",    "Vantage",   "Wexford",
};
const char* const kMakerTrades[] = {
    "Electric",      "Plumbing Products", "Fastener",     "Lighting",
    "Valve",         "Building Products", "Wire & Cable", "Tool Works",
    "Manufacturing", "Fittings",          "Controls",     "Hardware",
};

const char* const kSupplierPlaces[] = {
    "Tri-County",   "Metro",       "Valley",   "Coastal",  "Capital",   "Riverside", "Mid-State",
    "Bay Area",     "Northside",   "Southern", "Westside", "Central",   "Highland",  "Gulf",
    "Mountain",     "Great Lakes", "Piedmont", "Desert",   "Heartland", "Twin City", "Lakeside",
    "Hill Country", "Old Town",    "Eastern",  "Prairie",  "Canyon",    "Harbor",    "Sunbelt",
    "Frontier",     "Pacific",     "Atlantic", "Summit",   "Cedar",     "Maple",     "Granite",
    "Liberty",      "Union",       "Pioneer",  "Keystone", "Midland",
};
const char* const kSupplierTrades[] = {
    "Electrical", "Plumbing",   "Building", "Lumber",   "Hardware",
    "HVAC",       "Industrial", "Pipe",     "Lighting", "Contractor",
};
const char* const kSupplierEndings[] = {"Supply", "Supply Co.", "Distributors", "Wholesale"};

// Category families: a kind of material and the sizes it comes in.
struct Family {
    const char* const* sizes;
    int sizeCount;
    const char* const* kinds;
    int kindCount;
};
const char* const kPipeSizes[] = {"1/4\"",   "3/8\"", "1/2\"",   "3/4\"", "1\"", "1-1/4\"",
                                  "1-1/2\"", "2\"",   "2-1/2\"", "3\"",   "4\"", "6\""};
const char* const kPipeKinds[] = {
    "Copper Pipe",     "PVC Pipe",      "CPVC Pipe",         "PEX Tubing",  "Black Iron Pipe",
    "Galvanized Pipe", "Copper Elbow",  "PVC Coupling",      "Ball Valve",  "Gate Valve",
    "EMT Conduit",     "Rigid Conduit", "Conduit Connector", "Brass Union", "Check Valve",
    "Copper Tee",      "PVC Tee",       "Pipe Strap",        "Pipe Hanger", "Flex Conduit",
};
const char* const kWireSizes[] = {"14 AWG", "12 AWG", "10 AWG", "8 AWG",
                                  "6 AWG",  "4 AWG",  "2 AWG",  "1/0 AWG"};
const char* const kWireKinds[] = {"THHN Wire", "NM-B Cable",         "UF-B Cable",
                                  "MC Cable",  "Bare Copper Ground", "XHHW Wire"};
const char* const kLengthSizes[] = {"1\"",     "1-1/4\"", "1-5/8\"", "2\"",
                                    "2-1/2\"", "3\"",     "3-1/2\"", "4\""};
const char* const kLengthKinds[] = {"Drywall Screws", "Wood Screws",  "Common Nails",
                                    "Framing Nails",  "Lag Bolts",    "Concrete Anchors",
                                    "Deck Screws",    "Roofing Nails"};
const char* const kPlainSizes[] = {"Residential", "Commercial", "Industrial", "Outdoor"};
const char* const kPlainKinds[] = {
    "Receptacles",    "Switches",     "Breakers",      "Load Centers",   "Light Fixtures",
    "Junction Boxes", "Faucets",      "Water Heaters", "Toilets",        "Sinks",
    "Thermostats",    "Ductwork",     "Insulation",    "Sealants",       "Adhesives",
    "Fire Caulk",     "Smoke Alarms", "Exhaust Fans",  "Drain Fittings", "Cover Plates",
};
const Family kFamilies[] = {
    {kPipeSizes, int(std::size(kPipeSizes)), kPipeKinds, int(std::size(kPipeKinds))},
    {kWireSizes, int(std::size(kWireSizes)), kWireKinds, int(std::size(kWireKinds))},
    {kLengthSizes, int(std::size(kLengthSizes)), kLengthKinds, int(std::size(kLengthKinds))},
    {kPlainSizes, int(std::size(kPlainSizes)), kPlainKinds, int(std::size(kPlainKinds))},
};

const char* const kFirstNames[] = {
    "Dana", "Luis",   "Marcy",  "Terrence", "Priya",  "Glen", "Rosa",   "Owen", "Keisha", "Walt",
    "Mei",  "Arturo", "Bonnie", "Dwayne",   "Hannah", "Ivan", "Jolene", "Kurt", "Nadia",  "Ray"};
const char* const kLastNames[] = {"Kowalski", "Reyes",     "Whitfield",  "Okafor", "Brennan",
                                  "Nguyen",   "Lindqvist", "Hargrove",   "Patel",  "Delgado",
                                  "Thornton", "Marsh",     "Castellano", "Yoder",  "Abernathy"};

const char* const kDescriptionAdjectives[] = {
    "Heavy Duty",   "Standard",     "Commercial Grade", "Lead-Free",
    "UL Listed",    "Weatherproof", "Galvanized",       "Stainless",
    "Brass",        "Copper",       "Zinc Plated",      "Low Profile",
    "Insulated",    "Type L",       "Schedule 40",      "Schedule 80",
    "Self-Tapping", "Rated",
};
const char* const kDescriptionNouns[] = {
    "10 ft", "20 ft Length", "25 ft Roll", "50 ft Coil", "250 ft Spool", "500 ft Reel",
    "Each",  "Case of 12",   "Carton",     "Value Pack", "Bag of 100",   "Pair",
};
const char* const kDescriptionDetails[] = {
    "90 Deg",      "45 Deg",        "Sweat",     "Threaded",   "Slip",   "Push-Fit",
    "Compression", "20 Amp",        "15 Amp",    "120V",       "240V",   "Gray",
    "White",       "Black",         "Box of 50", "Pack of 10", "Bulk",   "Contractor Pack",
    "FIP x MIP",   "Hub x Hub",     "Indoor",    "Outdoor",    "2-Gang", "Single Pole",
    "Flush Mount", "Surface Mount",
};

const char* const kLaborTasks[] = {
    "Rough-in plumbing",
    "Rough-in electrical",
    "Set fixtures",
    "Pull wire",
    "Install panel",
    "Trim out devices",
    "Hang drywall",
    "Tape and finish",
    "Demolition and haul-off",
    "Run gas line",
    "Install water heater",
    "Duct installation",
    "Service call",
    "Trenching",
    "Pull permits",
    "Framing",
    "Cleanup",
    "Fire stopping",
    "Test and balance",
    "Punch list",
};

// Customers: people by first and last name, and small businesses.
const char* const kCustomerFirstNames[] = {
    "James",   "Maria",   "Robert", "Linda",  "Michael", "Patricia", "David",   "Jennifer",
    "William", "Susan",   "Thomas", "Karen",  "Daniel",  "Nancy",    "Matthew", "Lisa",
    "Anthony", "Sandra",  "Mark",   "Donna",  "Steven",  "Carol",    "Andrew",  "Michelle",
    "Kevin",   "Laura",   "Brian",  "Amy",    "George",  "Rebecca",  "Edward",  "Sharon",
    "Ronald",  "Cynthia", "Jason",  "Angela", "Gary",    "Melissa",  "Eric",    "Brenda",
};
const char* const kCustomerLastNames[] = {
    "Anderson",  "Baker",   "Caldwell",  "Donovan", "Ellison",  "Fischer", "Garrison",
    "Holloway",  "Ingram",  "Jennings",  "Keller",  "Lawson",   "McBride", "Novak",
    "Olsen",     "Pruitt",  "Quinlan",   "Ramirez", "Sullivan", "Tanaka",  "Underwood",
    "Vaughn",    "Wagner",  "Zimmerman", "Becker",  "Carver",   "Dawson",  "Foster",
    "Gallagher", "Hoffman", "Kramer",    "Lindsey", "Mendoza",  "Porter",  "Reinhardt",
    "Schultz",   "Travers", "Whitaker",  "Yates",   "Bishop",
};
const char* const kBusinessStems[] = {
    "Maple Street", "Riverbend",    "Blue Heron",    "Old Mill",    "Cornerstone", "Hilltop",
    "Union Square", "Lakeview",     "Cedar Hollow",  "Main Street", "Brookside",   "Foxglove",
    "Stonebridge",  "Willow Creek", "Copper Kettle", "Red Barn",    "Northside",   "Parkway",
};
const char* const kBusinessKinds[] = {
    "Bakery",     "Family Dental",     "Animal Hospital", "Hardware",     "Auto Repair",
    "Cafe",       "Dance Studio",      "Florist",         "Pharmacy",     "Fitness",
    "Apartments", "Veterinary Clinic", "Pizza Co.",       "Dry Cleaners", "Insurance Agency",
    "Church",     "Montessori School", "Brewing Co.",     "Realty",       "Barber Shop",
};
const char* const kStreetNames[] = {
    "Maple",  "Oak",    "Pine",   "Cedar",    "Elm",    "Walnut", "Chestnut", "Spruce",
    "Church", "Mill",   "Market", "Orchard",  "Ridge",  "Valley", "Franklin", "Lincoln",
    "Penn",   "Quarry", "Meadow", "Highland", "Laurel", "Sunset", "Hillside", "Locust",
};
const char* const kStreetKinds[] = {"St",  "Ave", "Rd",   "Dr",   "Ln",
                                    "Way", "Ct",  "Pike", "Blvd", "Circle"};
// A city, its state, the first ZIP code of its range and its telephone area code.
struct Place {
    const char* city;
    const char* state;
    int zip;
    int areaCode;
};
const Place kPlaces[] = {
    {"Millbrook", "PA", 17011, 717},   {"Harrisburg", "PA", 17101, 717},
    {"Carlisle", "PA", 17013, 717},    {"Lancaster", "PA", 17601, 717},
    {"York", "PA", 17401, 717},        {"Hershey", "PA", 17033, 717},
    {"Lebanon", "PA", 17042, 717},     {"Gettysburg", "PA", 17325, 717},
    {"Reading", "PA", 19601, 610},     {"Chambersburg", "PA", 17201, 717},
    {"Hagerstown", "MD", 21740, 301},  {"Frederick", "MD", 21701, 301},
    {"Westminster", "MD", 21157, 410}, {"Shippensburg", "PA", 17257, 717},
};
const char* const kMailDomains[] = {"mail.example", "inbox.example", "post.example"};
const char* const kCustomerNotes[] = {
    "Gate code 4411",
    "Dog in the yard; call before arriving",
    "Prefers e-mail",
    "Tenant occupied; give 24 hours' notice",
    "Pay by check on completion",
    "Key with the neighbor at No. 12",
};
// Jobs at a home, and jobs at a business's premises.
const char* const kHomeJobs[] = {
    "Kitchen remodel",     "Basement rewire",          "Panel upgrade to 200 A",
    "Bathroom addition",   "Water heater replacement", "Whole-house repipe",
    "Garage subpanel",     "EV charger install",       "Deck lighting",
    "Sump pump install",   "Laundry room plumbing",    "Finished basement",
    "Master bath remodel", "Outdoor receptacles",      "Generator hookup",
    "Smoke alarm upgrade", "Gas line to the grill",    "Service call",
};
const char* const kBusinessJobs[] = {
    "Office fit-out",      "Storefront lighting retrofit", "Tenant improvement",
    "Restroom renovation", "Kitchen hood and makeup air",  "Sewer line repair",
    "Panel upgrade",       "Emergency lighting test",      "Service call",
};
// The demo company's default terms, which most estimates keep, and some others.
const char* const kCompanyTerms =
    "A deposit of 30% is due on acceptance; the balance on completion.\n"
    "Payment within 14 days of invoice; 1.5% a month on overdue balances.\n"
    "Work beyond this quote is priced and agreed in writing first.";
const char* const kTermsVariants[] = {
    "A deposit of 30% is due on acceptance; the balance on completion.\n"
    "Payment within 14 days of invoice.",
    "50% deposit to schedule the work, balance due on completion.\n"
    "Changes to the work are priced and agreed in writing first.",
    "Net 30 from invoice. Permit and inspection fees are included.\n"
    "Workmanship guaranteed for one year from completion.",
};

QString text(const char* s) {
    return QString::fromUtf8(s);
}

// "Brightline Electric" from a stem and a trade, unique for the first stems x trades names.
QStringList makeManufacturers(int count, Dice& dice) {
    QStringList all;
    for (const char* stem : kMakerStems)
        for (const char* trade : kMakerTrades)
            all << text(stem) + QLatin1Char(' ') + text(trade);
    // A fixed shuffle, so the first names are not all "Brightline ...".
    for (qsizetype i = all.size() - 1; i > 0; --i)
        all.swapItemsAt(i, dice.between(0, int(i)));
    QStringList out;
    for (int i = 0; i < count; ++i) {
        QString name = all.at(i % all.size());
        if (i >= all.size())
            name += QStringLiteral(" %1").arg(i / all.size() + 1);
        out << name;
    }
    return out;
}

// count names drawn from all in a shuffled order; past the end of all, names repeat with a
// numbered suffix so they stay distinct.
QStringList shuffledNames(QStringList all, int count, Dice& dice, const QString& suffix) {
    for (qsizetype i = all.size() - 1; i > 0; --i)
        all.swapItemsAt(i, dice.between(0, int(i)));
    QStringList out;
    for (int i = 0; i < count; ++i) {
        QString name = all.at(i % all.size());
        if (i >= all.size())
            name += suffix.arg(i / all.size() + 1);
        out << name;
    }
    return out;
}

QStringList makeSuppliers(int count, Dice& dice) {
    QStringList all;
    for (const char* place : kSupplierPlaces)
        for (const char* trade : kSupplierTrades)
            for (const char* ending : kSupplierEndings)
                all << text(place) + QLatin1Char(' ') + text(trade) + QLatin1Char(' ') +
                           text(ending);
    return shuffledNames(all, count, dice, QStringLiteral(" #%1"));
}

// "Copper Pipe 1/2\"", "THHN Wire 12 AWG", ...: every kind in every size, shuffled.
QStringList makeCategories(int count, Dice& dice) {
    QStringList all;
    for (const Family& f : kFamilies)
        for (int k = 0; k < f.kindCount; ++k)
            for (int s = 0; s < f.sizeCount; ++s)
                all << text(f.kinds[k]) + QLatin1Char(' ') + text(f.sizes[s]);
    return shuffledNames(all, count, dice, QStringLiteral(" (%1)"));
}

QStringList makeEstimators(int count, Dice& dice) {
    QStringList out;
    for (int i = 0; i < count; ++i) {
        const int first = i % int(std::size(kFirstNames));
        const int last = (i * 7 + dice.between(0, 3)) % int(std::size(kLastNames));
        out << text(kFirstNames[first]) + QLatin1Char(' ') + text(kLastNames[last]);
    }
    return out;
}

// Lower-case letters and digits of a name, for the e-mail address derived from it.
QString mailName(const QString& name) {
    QString out;
    for (const QChar c : name)
        if (c.isLetterOrNumber())
            out += c.toLower();
    return out;
}

struct Customer {
    QString name;
    QString contact;
    QString address;
    QString city;
    QString phone;
    QString email;
    QString notes;
};

QString streetAddress(Dice& dice) {
    return QStringLiteral("%1 %2 %3")
        .arg(dice.between(100, 9899))
        .arg(text(dice.pick(kStreetNames)), text(dice.pick(kStreetKinds)));
}

// "Carlisle, PA 17015" and a telephone number of its area, in the range kept for fiction.
std::pair<QString, QString> cityAndPhone(Dice& dice) {
    const Place& p = dice.pick(kPlaces);
    return {QStringLiteral("%1, %2 %3")
                .arg(text(p.city), text(p.state))
                .arg(p.zip + dice.between(0, 12)),
            QStringLiteral("(%1) 555-%2")
                .arg(p.areaCode)
                .arg(dice.between(100, 199), 4, 10, QLatin1Char('0'))};
}

// Seven in ten customers are households, the rest small businesses with a contact person; the
// names are distinct without regard to case, as the file requires.
std::vector<Customer> makeCustomers(int count, Dice& dice) {
    if (count <= 0)
        return {};
    QStringList people, businesses;
    for (const char* first : kCustomerFirstNames)
        for (const char* last : kCustomerLastNames)
            people << text(first) + QLatin1Char(' ') + text(last);
    for (const char* stem : kBusinessStems)
        for (const char* kind : kBusinessKinds)
            businesses << text(stem) + QLatin1Char(' ') + text(kind);
    const int households = count * 7 / 10;
    people = shuffledNames(people, households, dice, QStringLiteral(" (%1)"));
    businesses = shuffledNames(businesses, count - households, dice, QStringLiteral(" (%1)"));
    std::vector<Customer> out;
    out.reserve(size_t(count));
    for (qsizetype p = 0, b = 0; p < people.size() || b < businesses.size();) {
        const bool person = b >= businesses.size() || (p < people.size() && dice.between(0, 9) < 7);
        Customer c;
        c.name = person ? people.at(p++) : businesses.at(b++);
        const QString contact = text(dice.pick(kCustomerFirstNames)) + QLatin1Char(' ') +
                                text(dice.pick(kCustomerLastNames));
        if (!person)
            c.contact = contact;
        c.address = streetAddress(dice);
        if (dice.chance(0.1))
            c.address += QStringLiteral(", Apt %1").arg(dice.between(1, 30));
        std::tie(c.city, c.phone) = cityAndPhone(dice);
        const QString first = c.name.section(QLatin1Char(' '), 0, 0);
        const QString last = c.name.section(QLatin1Char(' '), 1, 1);
        c.email = person
                      ? mailName(first) + QLatin1Char('.') + mailName(last) + QLatin1Char('@') +
                            text(dice.pick(kMailDomains))
                      : QStringLiteral("office@") + mailName(c.name) + QStringLiteral(".example");
        if (dice.chance(0.15))
            c.notes = text(dice.pick(kCustomerNotes));
        out.push_back(std::move(c));
    }
    return out;
}

// The letters a manufacturer's part numbers start with: the initials of its first two words.
QString partPrefix(const QString& manufacturer) {
    const QStringList words = manufacturer.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString prefix;
    for (const QString& w : words) {
        if (prefix.size() == 2)
            break;
        if (w.at(0).isLetter())
            prefix += w.at(0).toUpper();
    }
    while (prefix.size() < 2)
        prefix += QLatin1Char('X');
    return prefix;
}

// 20 to 60 characters: the category's name and a few distinct words, e.g.
// "Lead-Free Copper Elbow 3/4\" Sweat 90 Deg".
QString makeDescription(const QString& category, Dice& dice) {
    const int wanted = dice.between(20, 60);
    QString out = category;
    if (dice.chance(0.5))
        out = text(dice.pick(kDescriptionAdjectives)) + QLatin1Char(' ') + out;
    QStringList extras;
    const QString detail = text(dice.pick(kDescriptionDetails));
    QString second = text(dice.pick(kDescriptionDetails));
    if (second == detail)
        second.clear();
    extras << detail << text(dice.pick(kDescriptionNouns)) << second;
    for (const QString& word : std::as_const(extras)) {
        if (out.size() >= wanted)
            break;
        if (word.isEmpty() || out.contains(word) || out.size() + 1 + word.size() > 60)
            continue;
        out += QLatin1Char(' ') + word;
    }
    if (out.size() > 60)
        out = out.left(60).trimmed();
    while (out.size() < 20)
        out += QStringLiteral(" Assy");
    return out;
}

// A unit cost from $0.25 to $2,500.00 in whole cents, most of them cheap: the logarithm of the
// cost is spread with more weight near the bottom.
Money makeUnitCost(Dice& dice) {
    const double u = std::pow(dice.fraction(), 1.6);
    const double dollars = 0.25 * std::pow(10000.0, u);
    const qint64 cents = std::clamp<qint64>(qint64(std::llround(dollars * 100.0)), 25, 250000);
    return Money::fromCents(cents);
}

// The days a generated quote holds, as a new file's default.
constexpr int kValidDays = 30;

QString isoDateTime(const QDate& day, int secondsOfDay) {
    return QDateTime(day, QTime::fromMSecsSinceStartOfDay(secondsOfDay * 1000))
        .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

class Generator {
public:
    Generator(Database& db, const DemoData::Counts& counts, QString* error,
              const DemoData::Progress& progress)
        : m_db(db), m_counts(counts), m_error(error), m_progress(progress), m_dice(counts.seed),
          m_jobDice(counts.seed ^ 0x9e3779b9u),
          m_today(counts.today.isValid() ? counts.today : QDate::currentDate()),
          m_total(rowsToWrite(counts)), m_step(std::max<qint64>(1, m_total / 1000)) {}

    bool run() {
        tell();
        const bool ok = company() && lookups() && customers() && materials() && estimates();
        if (ok && m_written % m_step != 0)
            tell();
        return ok;
    }

private:
    bool prepared(const Statement& q) {
        if (q.isValid())
            return true;
        *m_error = q.error().description;
        return false;
    }
    bool exec(Statement& q, const QVariantList& values) {
        if (q.bindAll(values) && q.execute()) {
            if (++m_written % m_step == 0)
                tell();
            return true;
        }
        *m_error = q.error().description;
        return false;
    }

    void tell() {
        if (m_progress)
            m_progress(std::min(m_written, m_total), m_total);
    }

    // The company row, the lookup names, the materials, and each estimate with its lines.
    static qint64 rowsToWrite(const DemoData::Counts& c) {
        const auto n = [](int count) { return qint64(std::max(0, count)); };
        const qint64 linesPerEstimate =
            (c.materials > 0 ? n(c.materialLinesPerEstimate) : 0) + n(c.laborLinesPerEstimate);
        return 1 + n(c.manufacturers) + n(c.suppliers) + n(c.categories) + n(c.estimators) +
               n(c.customers) + n(c.materials) + n(c.estimates) * (1 + linesPerEstimate);
    }

    bool company() {
        Statement q(m_db, QStringLiteral("UPDATE MyCompany SET CompanyName = ?, "
                                         "CompanyAddress = ?, CompanyCity = ?, CompanyPhone = ?, "
                                         "CompanyFax = ?, CompanyEmail = ?, CompanyWebSite = ?, "
                                         "CompanyLogo = ?, QuoteValidDays = ?, QuoteTerms = ?, "
                                         "QuoteAcceptanceLine = ?"));
        return prepared(q) &&
               exec(q,
                    {QStringLiteral("Hollis & Marsh Contracting"),
                     QStringLiteral("1480 Quarry Road, Suite 3"),
                     QStringLiteral("Millbrook, PA 17011"), QStringLiteral("(717) 555-0142"),
                     QStringLiteral("(717) 555-0143"), QStringLiteral("office@hollismarsh.example"),
                     QStringLiteral("www.hollismarsh.example"), QString(), kValidDays,
                     text(kCompanyTerms), 1});
    }

    // Inserts names into a lookup table and keeps their keys.
    bool names(const QString& sql, const QStringList& values, std::vector<qint64>* ids) {
        Statement q(m_db, sql);
        if (!prepared(q))
            return false;
        for (const QString& v : values) {
            if (!exec(q, {v}))
                return false;
            ids->push_back(m_db.lastInsertId());
        }
        return true;
    }

    bool lookups() {
        m_makerNames = makeManufacturers(m_counts.manufacturers, m_dice);
        const QStringList suppliers = makeSuppliers(m_counts.suppliers, m_dice);
        m_categoryNames = makeCategories(m_counts.categories, m_dice);
        const QStringList estimators = makeEstimators(m_counts.estimators, m_dice);
        if (!names(QStringLiteral("INSERT INTO ManufacturersTBL (ManufacturerName) VALUES (?)"),
                   m_makerNames, &m_makers) ||
            !names(QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES (?)"), suppliers,
                   &m_suppliers) ||
            !names(QStringLiteral("INSERT INTO CatagoryTBL (Catagory) VALUES (?)"), m_categoryNames,
                   &m_categories) ||
            !names(QStringLiteral("INSERT INTO Estimators (Estimator) VALUES (?)"), estimators,
                   &m_estimators))
            return false;
        Statement q(m_db, QStringLiteral("SELECT StatusID FROM StatusesTBL ORDER BY StatusID"));
        while (q.next())
            m_statuses.push_back(q.integer(0));
        if (q.isValid() && !q.failed())
            return true;
        *m_error = q.error().description;
        return false;
    }

    // The customers come from a dice of their own, as do the estimates' customers and jobs: the
    // catalogue and the estimates' lines stay as the same seed gave them before customers.
    bool customers() {
        Statement q(m_db, QStringLiteral("INSERT INTO CustomersTBL (CustomerName, ContactName, "
                                         "Address, City, Phone, Email, Notes) "
                                         "VALUES (?, ?, ?, ?, ?, ?, ?)"));
        if (!prepared(q))
            return false;
        for (const Customer& c : makeCustomers(m_counts.customers, m_jobDice)) {
            const auto orNull = [](const QString& value) {
                return value.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : value;
            };
            if (!exec(q, {c.name, orNull(c.contact), c.address, c.city, c.phone, c.email,
                          orNull(c.notes)}))
                return false;
            m_customers.push_back({m_db.lastInsertId(), c.address + QStringLiteral(", ") + c.city,
                                   !c.contact.isEmpty()});
        }
        return true;
    }

    // Most estimates name a customer, a job and its site, hold for the usual days and carry
    // terms; the rest are left as estimates from before customers were kept.
    QVariantList jobOf(const QDate& date) {
        const QVariant none(QMetaType::fromType<QString>());
        if (m_customers.empty() || !m_jobDice.chance(0.85))
            return {QVariant(QMetaType::fromType<qint64>()), none, none, none, none};
        const CustomerKey& c =
            m_customers[size_t(m_jobDice.between(0, int(m_customers.size()) - 1))];
        // Most work is at the customer's address; some at another site.
        QString site = c.address;
        if (m_jobDice.chance(0.3))
            site = streetAddress(m_jobDice) + QStringLiteral(", ") + cityAndPhone(m_jobDice).first;
        const QString terms =
            m_jobDice.chance(0.7) ? text(kCompanyTerms) : text(m_jobDice.pick(kTermsVariants));
        const QString job =
            text(c.business ? m_jobDice.pick(kBusinessJobs) : m_jobDice.pick(kHomeJobs));
        return {c.id, job, site, date.addDays(kValidDays).toString(QStringLiteral("yyyy-MM-dd")),
                terms};
    }

    // A key from the list, or null when the list is empty.
    QVariant anyOf(const std::vector<qint64>& ids) {
        if (ids.empty())
            return QVariant(QMetaType::fromType<qint64>());
        return ids[size_t(m_dice.between(0, int(ids.size()) - 1))];
    }

    bool materials() {
        Statement q(m_db, QStringLiteral("INSERT INTO MaterialsTBL (ManufacturerID, SuppliersID, "
                                         "CatagoryID, PartNumber, ManufacturerDescription, "
                                         "UnitCost, UpdatedLast) VALUES (?, ?, ?, ?, ?, ?, ?)"));
        if (!prepared(q))
            return false;
        QStringList prefixes;
        for (const QString& m : m_makerNames)
            prefixes << partPrefix(m);
        const int priceDays = std::max(1, m_counts.priceYears * 365);
        m_materials.reserve(size_t(std::max(0, m_counts.materials)));
        for (int i = 0; i < m_counts.materials; ++i) {
            Material m;
            QVariant maker;
            QString prefix = QStringLiteral("GN");
            if (!m_makers.empty()) {
                const int k = m_dice.between(0, int(m_makers.size()) - 1);
                maker = m_makers[size_t(k)];
                prefix = prefixes.at(k);
            } else {
                maker = QVariant(QMetaType::fromType<qint64>());
            }
            const QVariant supplier = anyOf(m_suppliers);
            QString category = QStringLiteral("General Material");
            QVariant categoryId(QMetaType::fromType<qint64>());
            if (!m_categories.empty()) {
                const int k = m_dice.between(0, int(m_categories.size()) - 1);
                categoryId = m_categories[size_t(k)];
                category = m_categoryNames.at(k);
            }
            m.partNumber = QStringLiteral("%1-%2-%3")
                               .arg(prefix)
                               .arg(m_dice.between(10000, 99999))
                               .arg(QChar(u'A' + m_dice.between(0, 5)));
            m.description = makeDescription(category, m_dice);
            m.unitCost = makeUnitCost(m_dice);
            // Two prices in five were changed within the last 90 days; the rest at any time in
            // the years before.
            const int age = m_dice.chance(0.4) ? m_dice.between(0, 89)
                                               : m_dice.between(90, std::max(90, priceDays));
            const QString updated =
                isoDateTime(m_today.addDays(-age), m_dice.between(7 * 3600, 18 * 3600));
            if (!exec(q, {maker, supplier, categoryId, m.partNumber, m.description,
                          m.unitCost.toDouble(), updated}))
                return false;
            m.id = m_db.lastInsertId();
            m_materials.push_back(std::move(m));
        }
        return true;
    }

    qint64 status(int ageDays) {
        if (m_statuses.empty())
            return 0;
        // Statuses in their seeded order: Draft, Sent, Accepted, Declined, On Hold, Ordered,
        // Completed. Recent quotes are mostly still open; old ones are mostly settled.
        static const int recent[] = {0, 0, 1, 1, 1, 2, 4, 5};
        static const int settled[] = {2, 3, 3, 5, 6, 6, 6, 6};
        const int index =
            ageDays < 60 ? recent[m_dice.between(0, 7)] : settled[m_dice.between(0, 7)];
        return m_statuses[size_t(std::min(index, int(m_statuses.size()) - 1))];
    }

    bool estimates() {
        Statement header(m_db, QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber, EstimateData, "
                                              "TaxRate, Shipping, EstimatorID, EstimateStatus, "
                                              "CustomerID, JobName, JobAddress, ValidUntil, "
                                              "Terms) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        Statement material(m_db,
                           QStringLiteral("INSERT INTO MaterialEstimateTBL (EstimateID, "
                                          "MaterialsID, Quantity, PartNumber, "
                                          "ManufacturerDescription, UnitCost, TotalCost, Price, "
                                          "Extension, Margin) "
                                          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        Statement labor(m_db, QStringLiteral("INSERT INTO LaborEstimateTBL (EstimateID, Hours, "
                                             "LaborDescription, LaborRate, LaborExtension) "
                                             "VALUES (?, ?, ?, ?, ?)"));
        if (!prepared(header) || !prepared(material) || !prepared(labor))
            return false;

        // Dates oldest first, so reference numbers grow with the date as they would in use.
        const int span = std::max(1, m_counts.years * 365);
        std::vector<int> ages;
        ages.reserve(size_t(std::max(0, m_counts.estimates)));
        for (int i = 0; i < m_counts.estimates; ++i)
            ages.push_back(m_dice.between(0, span - 1));
        std::sort(ages.begin(), ages.end(), std::greater<int>());

        static const double taxRates[] = {0.0, 0.06, 0.0625, 0.065, 0.07, 0.0725, 0.0825};
        qint64 quoteNumber = 10000;
        for (int age : ages) {
            quoteNumber += m_dice.between(1, 3);
            const double taxRate = m_dice.pick(taxRates);
            const Money shipping = m_dice.chance(0.3)
                                       ? Money()
                                       : Money::fromCents(qint64(m_dice.between(5, 120)) * 500);
            const QVariant statusId = m_statuses.empty() ? QVariant(QMetaType::fromType<qint64>())
                                                         : QVariant(status(age));
            const QDate date = m_today.addDays(-age);
            if (!exec(header,
                      QVariantList{quoteNumber, date.toString(QStringLiteral("yyyy-MM-dd")),
                                   taxRate, shipping.toDouble(), anyOf(m_estimators), statusId} +
                          jobOf(date)))
                return false;
            const qint64 estimateId = m_db.lastInsertId();
            if (!materialLines(material, estimateId) || !laborLines(labor, estimateId))
                return false;
        }
        return true;
    }

    bool materialLines(Statement& q, qint64 estimateId) {
        if (m_materials.empty())
            return true;
        for (int i = 0; i < m_counts.materialLinesPerEstimate; ++i) {
            const Material& m = m_materials[size_t(m_dice.between(0, int(m_materials.size()) - 1))];
            const int quantity = m_dice.between(1, 50);
            const double margin = m_dice.between(5, 35) / 100.0;
            const Pricing::MaterialAmounts amounts =
                Pricing::materialAmounts({double(quantity), m.unitCost, margin});
            if (!exec(q, {estimateId, m.id, quantity, m.partNumber, m.description,
                          m.unitCost.toDouble(), amounts.totalCost.toDouble(),
                          amounts.price.toDouble(), amounts.extension.toDouble(), margin}))
                return false;
        }
        return true;
    }

    bool laborLines(Statement& q, qint64 estimateId) {
        for (int i = 0; i < m_counts.laborLinesPerEstimate; ++i) {
            const double hours = m_dice.between(2, 80) / 2.0; // half hours from 1 to 40
            const Money rate = Money::fromCents(qint64(m_dice.between(70, 190)) * 50); // $35-$95
            const Money extension = Pricing::laborExtension(hours, rate);
            if (!exec(q, {estimateId, hours, text(m_dice.pick(kLaborTasks)), rate.toDouble(),
                          extension.toDouble()}))
                return false;
        }
        return true;
    }

    struct CustomerKey {
        qint64 id = 0;
        QString address; // street, city, state and ZIP: where most of its jobs are
        bool business = false;
    };

    struct Material {
        qint64 id = 0;
        QString partNumber;
        QString description;
        Money unitCost;
    };

    Database& m_db;
    const DemoData::Counts& m_counts;
    QString* m_error;
    const DemoData::Progress& m_progress;
    Dice m_dice;
    Dice m_jobDice;
    QDate m_today;
    qint64 m_total;
    qint64 m_step;
    qint64 m_written = 0;
    QStringList m_makerNames;
    QStringList m_categoryNames;
    std::vector<qint64> m_makers, m_suppliers, m_categories, m_estimators, m_statuses;
    std::vector<Material> m_materials;
    std::vector<CustomerKey> m_customers;
};

} // namespace

namespace DemoData {

bool generate(const QString& path, const Counts& counts, QString* error, const Progress& progress) {
    const auto fill = [&](Database& db, QString* message) {
        // The file is built under a temporary name and renamed into place only once complete:
        // a crash half-way damages nothing anyone opens, so writes skip the journal file and the
        // syncs. (A server makes everything in one transaction: nothing to skip.)
        db.execute(QStringLiteral("PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY"));
        Transaction transaction(db);
        if (!transaction.isActive()) {
            *message = db.error().description;
            return false;
        }
        Generator generator(db, counts, message, progress);
        if (!generator.run())
            return false;
        if (!transaction.commit()) {
            *message = db.error().description;
            return false;
        }
        return true;
    };
    return SqlDialect::isServerAddress(path) ? Schema::createOnServer(path, error, fill)
                                             : Schema::createFile(path, error, fill);
}

} // namespace DemoData
