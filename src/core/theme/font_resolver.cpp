#include "theme/font_resolver.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QRawFont>
#include <QSet>

#include <array>
#include <atomic>
#include <bitset>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace quillora {

namespace {

enum class Kind { Sans, Serif, Mono };

// A name the app knows, and the families that can show it, best first. The first family is the
// real one where it is open (fetched or packaged); the rest are the nearest packaged faces.
struct Alias {
    const char* key; // see keyOf()
    std::array<const char*, 3> families;
    Kind kind;
};

// clang-format off
constexpr Alias kAliases[] = {
    // Proprietary faces: the real one when the machine has it, else an open look-alike.
    {"avenirnext",        {"Avenir Next", "Lato", nullptr},                    Kind::Sans},
    {"avenir",            {"Avenir", "Lato", nullptr},                         Kind::Sans},
    {"futura",            {"Futura", "League Spartan", nullptr},               Kind::Sans},
    {"georgia",           {"Georgia", "Caladea", "Tinos"},                     Kind::Serif},
    {"helveticaneue",     {"Helvetica Neue", "Arimo", "Liberation Sans"},      Kind::Sans},
    {"helvetica",         {"Helvetica", "Arimo", "Liberation Sans"},           Kind::Sans},
    {"arial",             {"Arial", "Arimo", "Liberation Sans"},               Kind::Sans},
    {"couriernew",        {"Courier New", "Cousine", "Liberation Mono"},       Kind::Mono},
    {"courier",           {"Courier", "Cousine", "Liberation Mono"},           Kind::Mono},
    {"timesnewroman",     {"Times New Roman", "Tinos", "Liberation Serif"},    Kind::Serif},
    {"times",             {"Times", "Tinos", "Liberation Serif"},              Kind::Serif},
    // ParaType's file names: PTF55F is PT Serif, PTS55F PT Sans.
    {"ptf55f",            {"PT Serif", nullptr, nullptr},                      Kind::Serif},
    {"pts55f",            {"PT Sans", nullptr, nullptr},                       Kind::Sans},
    // Packaged open faces, by their PostScript-style names.
    {"charissilr",        {"Charis SIL", nullptr, nullptr},                    Kind::Serif},
    {"charissil",         {"Charis SIL", nullptr, nullptr},                    Kind::Serif},
    {"charis",            {"Charis SIL", nullptr, nullptr},                    Kind::Serif},
    {"ebgaramond12",      {"EB Garamond", nullptr, nullptr},                   Kind::Serif},
    {"ebgaramond",        {"EB Garamond", nullptr, nullptr},                   Kind::Serif},
    {"garamond",          {"EB Garamond", nullptr, nullptr},                   Kind::Serif},
    {"inter",             {"Inter", nullptr, nullptr},                         Kind::Sans},
    {"lato",              {"Lato", nullptr, nullptr},                          Kind::Sans},
    {"opensans",          {"Open Sans", nullptr, nullptr},                     Kind::Sans},
    {"ptserif",           {"PT Serif", nullptr, nullptr},                      Kind::Serif},
    {"ptsans",            {"PT Sans", nullptr, nullptr},                       Kind::Sans},
    {"quicksand",         {"Quicksand", nullptr, nullptr},                     Kind::Sans},
    {"roboto",            {"Roboto", nullptr, nullptr},                        Kind::Sans},
    // Open faces the build fetches; a packaged look-alike when they could not be fetched.
    {"bitter",            {"Bitter", "Roboto Slab", nullptr},                  Kind::Serif},
    {"crimson",           {"Crimson Text", "Crimson Pro", "EB Garamond"},      Kind::Serif},
    {"crimsontext",       {"Crimson Text", "Crimson Pro", "EB Garamond"},      Kind::Serif},
    {"librebaskerville",  {"Libre Baskerville", "Tinos", nullptr},             Kind::Serif},
    {"lora",              {"Lora", "PT Serif", nullptr},                       Kind::Serif},
    {"merriweather",      {"Merriweather", "Caladea", nullptr},                Kind::Serif},
    {"montserrat",        {"Montserrat", "League Spartan", nullptr},           Kind::Sans},
    {"nunitosans",        {"Nunito Sans", "Lato", nullptr},                    Kind::Sans},
    {"oswald",            {"Oswald", "Roboto Condensed", nullptr},             Kind::Sans},
    {"poppins",           {"Poppins", "League Spartan", nullptr},              Kind::Sans},
    {"rubik",             {"Rubik", "Roboto", nullptr},                        Kind::Sans},
    {"sourcesanspro",     {"Source Sans Pro", "Source Sans 3", "PT Sans"},     Kind::Sans},
    {"sourcesans3",       {"Source Sans 3", "Source Sans Pro", "PT Sans"},     Kind::Sans},
    {"worksans",          {"Work Sans", "Inter", nullptr},                     Kind::Sans},
};

// Faces for the scripts a translated résumé may use, best first; only installed ones are used.
// Devanagari and Thaana come first: Qt tries these in order for text that needs OpenType shaping
// and warns about every face on the way that lacks it. (Qt sets Thaana only in the copy of Noto
// Sans Thaana the build derives.)
constexpr const char* kSansScriptFaces[] = {
    "Noto Sans Devanagari", "Lohit Devanagari", "Noto Sans Thaana", "Noto Sans Arabic", "Noto Naskh Arabic",
    "Noto Sans Hebrew", "Noto Sans CJK SC", "Noto Sans CJK JP", "Droid Sans Fallback", "DejaVu Sans"};
constexpr const char* kSerifScriptFaces[] = {
    "Noto Serif Devanagari", "Noto Sans Devanagari", "Lohit Devanagari", "Noto Sans Thaana", "Noto Naskh Arabic",
    "Noto Sans Arabic", "Noto Serif Hebrew", "Noto Sans Hebrew", "Noto Serif CJK SC", "Noto Serif CJK JP",
    "Noto Sans CJK SC", "Droid Sans Fallback", "DejaVu Serif", "DejaVu Sans"};
constexpr const char* kMonoScriptFaces[] = {
    "Noto Sans Devanagari", "Lohit Devanagari", "Noto Sans Thaana", "Noto Sans Arabic", "Noto Sans Hebrew",
    "Noto Sans Mono CJK SC", "Noto Sans CJK SC", "Droid Sans Fallback", "DejaVu Sans Mono", "DejaVu Sans"};
// clang-format on

// The derived copies of a script face are named "<face> Exact", "<face> Exact 2", …
constexpr QLatin1StringView kExactSuffix(" Exact");

// Style words of PostScript-style names, lower case.
struct WeightWord {
    const char* word;
    QFont::Weight weight;
};
constexpr WeightWord kWeightWords[] = {
    {"thin", QFont::Thin},
    {"hairline", QFont::Thin},
    {"extralight", QFont::ExtraLight},
    {"ultralight", QFont::ExtraLight},
    {"light", QFont::Light},
    {"regular", QFont::Normal},
    {"roman", QFont::Normal},
    {"book", QFont::Normal},
    {"normal", QFont::Normal},
    {"medium", QFont::Medium},
    {"semibold", QFont::DemiBold},
    {"demibold", QFont::DemiBold},
    {"demi", QFont::DemiBold},
    {"bold", QFont::Bold},
    {"extrabold", QFont::ExtraBold},
    {"ultrabold", QFont::ExtraBold},
    {"heavy", QFont::ExtraBold},
    {"black", QFont::Black},
};

// Lower case without spaces, hyphens and underscores: "Open Sans" and "OpenSans" meet.
QString keyOf(QStringView name) {
    QString key;
    key.reserve(name.size());
    for (const QChar c : name) {
        if (c != u' ' && c != u'-' && c != u'_')
            key.append(c.toLower());
    }
    return key;
}

// Reads one "-Style" part: a weight word, "Italic"/"Oblique", or both ("BoldItalic").
bool parseStyleWord(QStringView word, std::optional<QFont::Weight>& weight, bool& italic) {
    QString rest = word.toString().toLower();
    bool slanted = false;
    for (const QLatin1StringView slant : {QLatin1StringView("italic"), QLatin1StringView("oblique")}) {
        if (rest.endsWith(slant)) {
            rest.chop(slant.size());
            slanted = true;
            break;
        }
    }
    std::optional<QFont::Weight> found;
    if (!rest.isEmpty()) {
        for (const WeightWord& w : kWeightWords) {
            if (rest == QLatin1StringView(w.word)) {
                found = w.weight;
                break;
            }
        }
        if (!found)
            return false;
    } else if (!slanted) {
        return false;
    }
    if (found)
        weight = found;
    italic = italic || slanted;
    return true;
}

const Alias* aliasFor(const QString& key) {
    for (const Alias& alias : kAliases) {
        if (key == QLatin1StringView(alias.key))
            return &alias;
    }
    return nullptr;
}

// The installed faces for scripts a family lacks, best first, for each kind of family.
struct ScriptFaces {
    QStringList sans, serif, mono;
};

// What the resolver knows once the fonts are registered; never changed afterwards.
struct State {
    QHash<QString, QString> familiesByKey; // keyOf(family) -> family as the database spells it
    QHash<QString, Kind> kindsByFamily;    // families the alias table names
    QStringList embedded;
    ScriptFaces packaged; // the script faces without the derived ones

    QString installed(const QString& family) const { return familiesByKey.value(keyOf(family)); }

    // The installed family a name (without style suffixes) stands for, or empty.
    QString lookup(const QString& name) const {
        const QString key = keyOf(name);
        if (key.isEmpty())
            return {};
        if (const Alias* alias = aliasFor(key)) {
            for (const char* candidate : alias->families) {
                if (!candidate)
                    break;
                const QString family = installed(QString::fromUtf8(candidate));
                if (!family.isEmpty())
                    return family;
            }
            return {};
        }
        return familiesByKey.value(key);
    }

    QString resolve(const QString& fontName) const {
        const QString name = fontName.trimmed();
        if (name.isEmpty())
            return {};
        // "Inter-Light" is Inter at a light weight, although the database also knows a family
        // "Inter Light"; a whole name that is no family+style ("Noto Sans") is looked up as is.
        const FontResolver::Style style = FontResolver::parseStyle(name);
        QString family;
        if (style.baseName != name)
            family = lookup(style.baseName);
        return family.isEmpty() ? lookup(name) : family;
    }

    const QStringList& scriptsFor(const QString& family, const ScriptFaces& faces) const {
        switch (kindsByFamily.value(family, Kind::Sans)) {
        case Kind::Serif:
            return faces.serif;
        case Kind::Mono:
            return faces.mono;
        case Kind::Sans:
            break;
        }
        return faces.sans;
    }
};

std::mutex g_mutex;
std::unique_ptr<const State> g_state;

// The derived faces come in groups, a folder each, registered apart: a Hindi text needs only the
// small Devanagari faces, a Dhivehi one the Thaana face, not the large CJK ones.
enum DerivedGroups : unsigned { devanagariGroup = 1, cjkGroup = 2, thaanaGroup = 4, allGroups = 7 };
constexpr std::pair<DerivedGroups, const char*> kGroupFolders[] = {
    {devanagariGroup, "devanagari"}, {cjkGroup, "cjk"}, {thaanaGroup, "thaana"}};

// The script faces with the registered derived ones ahead of the faces they copy. Every version
// made stays alive: a caller may still read the one it was handed.
std::mutex g_derivedMutex;
QStringList g_derivedFamilies;                               // guarded by g_derivedMutex
std::vector<std::unique_ptr<const ScriptFaces>> g_facesMade; // guarded by g_derivedMutex
std::atomic<const ScriptFaces*> g_currentFaces{nullptr};     // null: the packaged faces
std::atomic<unsigned> g_groupsDone{0};                       // groups registered (or absent)

QString withoutFoundry(const QString& family) {
    // Qt spells a family that several foundries ship as "Family [Foundry]".
    const qsizetype bracket = family.indexOf(QLatin1StringView(" ["));
    return bracket < 0 ? family : family.left(bracket);
}

// The installed families for a list of script faces, in order. A face with exact copies (see
// registerExactFaces) is preceded by them: "Noto Sans CJK SC Exact", "… Exact 2", … draw the same
// glyphs and read back from a PDF as the characters that were typed; the packaged face stays
// behind them for anything they lack.
template <std::size_t N>
QStringList installedOf(const QHash<QString, QString>& familiesByKey, const char* const (&faces)[N]) {
    const auto installed = [&familiesByKey](const QString& family) {
        return familiesByKey.value(keyOf(family));
    };
    QStringList result;
    const auto add = [&result](const QString& family) {
        if (!family.isEmpty() && !result.contains(family))
            result.append(family);
    };
    for (const char* face : faces) {
        const QString name = QString::fromUtf8(face);
        const QString exact = installed(name + kExactSuffix);
        if (!exact.isEmpty()) {
            add(exact);
            for (int layer = 2;; ++layer) {
                const QString next = installed(exact + u' ' + QString::number(layer));
                if (next.isEmpty())
                    break;
                add(next);
            }
        }
        add(installed(name));
    }
    return result;
}

ScriptFaces installedScriptFaces(const QHash<QString, QString>& familiesByKey) {
    return {installedOf(familiesByKey, kSansScriptFaces), installedOf(familiesByKey, kSerifScriptFaces),
            installedOf(familiesByKey, kMonoScriptFaces)};
}

// The folder the build derives the exact faces into: beside the program's folder (the app, the
// tests and the benchmarks live one level below the build folder), else where the build put them.
QString exactFacesDir() {
    const QStringList candidates{
        QCoreApplication::applicationDirPath() + QStringLiteral("/../fonts/exact"),
#ifdef QUILLORA_EXACT_FACES_DIR
        QStringLiteral(QUILLORA_EXACT_FACES_DIR),
#endif
    };
    for (const QString& dir : candidates) {
        if (QFileInfo(dir).isDir())
            return dir;
    }
    return {};
}

// Registers the derived faces of one group from their files (not copied into memory: FreeType
// reads them) and returns their families. Registering reads every face's character map: some
// 85 MB for the CJK group.
QStringList registerExactFaces(const char* folder) {
    QStringList families;
    const QString dir = exactFacesDir();
    if (dir.isEmpty())
        return families;
    QDirIterator files(dir + u'/' + QLatin1StringView(folder),
                       {QStringLiteral("*.ttc"), QStringLiteral("*.otf"), QStringLiteral("*.ttf")},
                       QDir::Files);
    while (files.hasNext()) {
        const QString path = files.next();
        const int id = QFontDatabase::addApplicationFont(path);
        if (id < 0)
            qWarning("Could not load the font %s", qUtf8Printable(path));
        else
            families += QFontDatabase::applicationFontFamilies(id);
    }
    return families;
}

// The script faces fonts made now fall back to.
const ScriptFaces& currentScriptFaces(const State& state) {
    const ScriptFaces* faces = g_currentFaces.load(std::memory_order_acquire);
    return faces ? *faces : state.packaged;
}

// Registers the groups of derived faces the first time a text needs them; from then on every
// font made falls back to them ahead of the faces they copy. Other callers wait while it runs.
void useDerivedFaces(const State& state, unsigned groups) {
    if ((g_groupsDone.load(std::memory_order_acquire) & groups) == groups)
        return;
    std::lock_guard lock(g_derivedMutex);
    const unsigned missing = groups & ~g_groupsDone.load(std::memory_order_relaxed);
    if (missing == 0)
        return;
    for (const auto& [group, folder] : kGroupFolders) {
        if (missing & group)
            g_derivedFamilies += registerExactFaces(folder);
    }
    QHash<QString, QString> familiesByKey = state.familiesByKey;
    for (const QString& family : std::as_const(g_derivedFamilies))
        familiesByKey.insert(keyOf(family), family);
    g_facesMade.push_back(std::make_unique<const ScriptFaces>(installedScriptFaces(familiesByKey)));
    g_currentFaces.store(g_facesMade.back().get(), std::memory_order_release);
    g_groupsDone.fetch_or(missing, std::memory_order_release);
}

bool isDevanagari(char32_t c) {
    return (c >= 0x0900 && c <= 0x097F) || (c >= 0x1CD0 && c <= 0x1CFF) || (c >= 0xA8E0 && c <= 0xA8FF);
}

bool isThaana(char32_t c) {
    return c >= 0x0780 && c <= 0x07BF;
}

// The groups of derived faces a text needs: none while the face the font names first has every
// character (Qt looks for the others among the font's fallbacks); the Devanagari and Thaana groups
// while the characters it lacks are all Devanagari or Thaana, which their faces, first among the
// fallbacks, draw; else every group. Line and paragraph breaks are never looked up. Each character of the
// Basic Multilingual Plane is looked up once, so long texts cost little.
unsigned neededGroups(const QFont& font, QStringView text) {
    const QRawFont face = QRawFont::fromFont(font);
    if (!face.isValid())
        return allGroups;
    unsigned groups = 0;
    std::bitset<0x10000> seen;
    const char16_t* units = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (units[i] < 0x80 && seen[units[i]])
            continue; // most of a long text
        char32_t c = units[i];
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            continue;
        if (c < seen.size()) {
            if (seen[c])
                continue;
            seen[c] = true;
        }
        if (!face.supportsCharacter(c)) {
            groups |= isDevanagari(c) ? devanagariGroup : isThaana(c) ? thaanaGroup : allGroups;
            if (groups == allGroups)
                break;
        }
    }
    return groups;
}

std::unique_ptr<const State> buildState() {
    auto state = std::make_unique<State>();

    QSet<QString> embedded;
    QDirIterator files(QStringLiteral(":/fonts"), {QStringLiteral("*.ttf"), QStringLiteral("*.otf")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        const int id = QFontDatabase::addApplicationFont(path);
        if (id < 0) {
            qWarning("Could not load the embedded font %s", qUtf8Printable(path));
            continue;
        }
        for (const QString& family : QFontDatabase::applicationFontFamilies(id))
            embedded.insert(family);
    }
    state->embedded = QStringList(embedded.cbegin(), embedded.cend());
    state->embedded.sort();

    for (const QString& spelled : QFontDatabase::families()) {
        const QString family = withoutFoundry(spelled);
        state->familiesByKey.insert(keyOf(family), family);
    }

    for (const Alias& alias : kAliases) {
        for (const char* candidate : alias.families) {
            if (!candidate)
                break;
            const QString family = state->installed(QString::fromUtf8(candidate));
            if (!family.isEmpty() && !state->kindsByFamily.contains(family))
                state->kindsByFamily.insert(family, alias.kind);
        }
    }

    state->packaged = installedScriptFaces(state->familiesByKey);

    // Any QFont naming one of these families (a style sheet, a label) falls back to the script
    // faces for glyphs the family lacks, before fontconfig's own guess. The packaged faces draw
    // what the derived ones draw, so the screen needs no more.
    QStringList families = state->kindsByFamily.keys();
    families.append(FontResolver::fallbackFamily());
    for (const QString& family : std::as_const(families)) {
        QStringList substitutes = state->scriptsFor(family, state->packaged);
        substitutes.removeAll(family);
        const QStringList existing = QFont::substitutes(family);
        for (const QString& substitute : std::as_const(existing))
            substitutes.removeAll(substitute);
        if (!substitutes.isEmpty())
            QFont::insertSubstitutions(family, substitutes);
    }
    return state;
}

// The registered state; null before a QGuiApplication exists (the font database needs one).
const State* state() {
    std::lock_guard lock(g_mutex);
    if (!g_state && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        g_state = buildState();
    return g_state.get();
}

} // namespace

void FontResolver::registerAppFonts() {
    state();
}

QString FontResolver::resolveFamily(const QString& fontName) {
    const State* s = state();
    const QString family = s ? s->resolve(fontName) : QString();
    return family.isEmpty() ? fallbackFamily() : family;
}

QFont FontResolver::font(const QString& fontName, qreal pointSize) {
    return font(fontName, pointSize, parseStyle(fontName).weight.value_or(QFont::Normal));
}

QFont FontResolver::font(const QString& fontName, qreal pointSize, QFont::Weight weight) {
    const QString family = resolveFamily(fontName);
    QFont f;
    f.setFamilies(QStringList{family} + scriptFallbacks(family));
    f.setPointSizeF(pointSize > 0 ? pointSize : 12.0);
    f.setWeight(weight);
    const bool italic = parseStyle(fontName).italic;
    f.setItalic(italic);
    // EB Garamond ships two optical sizes under one family; the names ask for the 12 pt cut,
    // which has no bold, so only the lighter weights pick it by style name.
    if (family == QLatin1StringView("EB Garamond") && weight < QFont::DemiBold) {
        const QString cut = italic ? QStringLiteral("12 Italic") : QStringLiteral("12 Regular");
        if (QFontDatabase::styles(family).contains(cut))
            f.setStyleName(cut);
    }
    const State* s = state();
    switch (s ? s->kindsByFamily.value(family, Kind::Sans) : Kind::Sans) {
    case Kind::Serif:
        f.setStyleHint(QFont::Serif);
        break;
    case Kind::Mono:
        f.setStyleHint(QFont::TypeWriter);
        break;
    case Kind::Sans:
        f.setStyleHint(QFont::SansSerif);
        break;
    }
    return f;
}

bool FontResolver::isResolved(const QString& fontName) {
    const State* s = state();
    return s && !s->resolve(fontName).isEmpty();
}

QString FontResolver::fallbackFamily() {
    return QStringLiteral("DejaVu Sans");
}

FontResolver::Style FontResolver::parseStyle(const QString& fontName) {
    Style style;
    QStringList parts = fontName.trimmed().split(u'-');
    // Style words are read from the end; the outermost weight wins ("Inter-Light-Semibold").
    std::optional<QFont::Weight> outermost;
    while (parts.size() > 1) {
        std::optional<QFont::Weight> weight;
        bool italic = false;
        if (!parseStyleWord(parts.constLast(), weight, italic))
            break;
        if (!outermost && weight)
            outermost = weight;
        style.italic = style.italic || italic;
        parts.removeLast();
    }
    style.weight = outermost;
    style.baseName = parts.join(u'-');
    return style;
}

QStringList FontResolver::embeddedFamilies() {
    const State* s = state();
    return s ? s->embedded : QStringList();
}

QStringList FontResolver::scriptFallbacks(const QString& family) {
    const State* s = state();
    if (!s)
        return {};
    QStringList faces = s->scriptsFor(family, currentScriptFaces(*s));
    faces.removeAll(family);
    return faces;
}

void FontResolver::prepareForText(const QFont& font, const QString& text) {
    const State* s = state();
    if (s && font.families().size() > 1 && g_groupsDone.load(std::memory_order_acquire) != allGroups)
        useDerivedFaces(*s, neededGroups(font, text));
}

QFont FontResolver::fontForText(const QFont& font, const QString& text) {
    const State* s = state();
    const QStringList families = font.families();
    if (!s || families.size() < 2)
        return font;
    const QStringList current = QStringList{families.first()} + scriptFallbacks(families.first());
    if (g_groupsDone.load(std::memory_order_acquire) == allGroups && families == current)
        return font;
    const unsigned groups = neededGroups(font, text);
    if (groups == 0)
        return font;
    useDerivedFaces(*s, groups);
    QFont withDerived = font;
    withDerived.setFamilies(QStringList{families.first()} + scriptFallbacks(families.first()));
    return withDerived;
}

} // namespace quillora
