// Choosing the face of a font with fontconfig.
//
// The Windows Gothic names the game asks for exist nowhere here, and the
// system configuration maps unknown names to a Latin face with no Japanese
// glyphs. A configuration of our own, the system's plus aliases for those
// names, leads them to an installed Japanese Gothic face; a match whose
// charset has no kana is never taken.
#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/d3dx9/font_impl.h"
#include "platform/d3dx9/texture_image.h"
#include "platform/win32/services.h"

namespace orv::d3dx9 {

namespace {

// The names texts are drawn in, full-width and romanised, with either space.
constexpr const char* kGothicNames[] = {"ＭＳ ゴシック", "ＭＳ　ゴシック", "MS Gothic", "HGSｺﾞｼｯｸE",
                                        "HGSGothicE"};
// Installed Japanese Gothic faces, best first.
constexpr const char* kJapaneseGothic[] = {"IPAGothic", "IPAexGothic", "Noto Sans Mono CJK JP",
                                           "Noto Sans CJK JP", "VL Gothic", "TakaoGothic"};

constexpr FcChar32 kProbe = 0x3042;  // hiragana a: a face without it draws boxes for every text

std::string AliasConfiguration() {
    std::string xml =
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
        "<fontconfig>\n";
    for (const char* name : kGothicNames) {
        xml += "  <alias binding=\"same\"><family>";
        xml += name;
        xml += "</family><prefer>";
        for (const char* face : kJapaneseGothic) xml += std::string("<family>") + face + "</family>";
        xml += "</prefer></alias>\n";
    }
    xml += "</fontconfig>\n";
    return xml;
}

std::mutex g_lock;  // fontconfig configurations are not to be shared between threads

// The system configuration with the aliases, built once and given back at
// exit.
FcConfig* g_config = nullptr;

FcConfig* Configuration() {
    static bool once = [] {
        FcConfig* c = FcInitLoadConfig();
        if (!c) {
            LogError("fonts: the system font configuration cannot be read; using an empty one");
            c = FcConfigCreate();
        }
        if (!c) return false;
        const std::string xml = AliasConfiguration();
        if (!FcConfigParseAndLoadFromMemory(c, reinterpret_cast<const FcChar8*>(xml.c_str()), FcTrue))
            LogError("fonts: the face aliases were not accepted");
        if (!FcConfigBuildFonts(c)) LogError("fonts: the installed fonts cannot be listed");
        std::atexit([] {
            std::lock_guard<std::mutex> hold(g_lock);
            if (g_config) FcConfigDestroy(g_config);
            g_config = nullptr;
        });
        g_config = c;
        return true;
    }();
    (void)once;
    return g_config;
}

struct PatternFree {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternFree>;

// One fontconfig match; the family is left out when empty, "ja" asks for a
// face that covers Japanese.
Pattern Match(FcConfig* config, const std::string& family, bool bold, bool italic, bool japanese) {
    Pattern query(FcPatternCreate());
    if (!query) return nullptr;
    if (!family.empty()) FcPatternAddString(query.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    if (japanese) FcPatternAddString(query.get(), FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcPatternAddInteger(query.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(query.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(query.get(), FC_SCALABLE, FcTrue);
    if (!FcConfigSubstitute(config, query.get(), FcMatchPattern)) return nullptr;
    FcDefaultSubstitute(query.get());
    FcResult result = FcResultNoMatch;
    return Pattern(FcFontMatch(config, query.get(), &result));
}

bool HasProbe(FcPattern* match) {
    FcCharSet* charset = nullptr;
    return FcPatternGetCharSet(match, FC_CHARSET, 0, &charset) == FcResultMatch && charset &&
           FcCharSetHasChar(charset, kProbe);
}

bool Describe(FcPattern* match, bool bold, bool italic, FaceChoice& choice) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch || !file) return false;
    choice = FaceChoice{};
    choice.info.file = reinterpret_cast<const char*>(file);
    FcChar8* family = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch && family)
        choice.info.family = reinterpret_cast<const char*>(family);
    int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    choice.info.index = index;
    choice.info.japanese = HasProbe(match);
    // The system configuration may already have marked the match for
    // emboldening and raised its weight to bold.
    FcBool embolden = FcFalse;
    FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
    choice.info.emboldened = bold && (embolden || weight < FC_WEIGHT_DEMIBOLD);
    choice.slant = italic && slant == FC_SLANT_ROMAN;
    return true;
}

}  // namespace

bool ChooseFace(LPCWSTR faceName, UINT weight, BOOL italic, FaceChoice& choice) {
    const std::string family = faceName ? WideToUtf8(faceName) : std::string();
    const bool bold = weight >= FW_SEMIBOLD;
    std::lock_guard<std::mutex> hold(g_lock);
    FcConfig* config = Configuration();
    if (!config) return false;
    // The name as given first; then, as Windows does for a name it lacks, the
    // system's face for the language of the texts.
    Pattern match = family.empty() ? nullptr : Match(config, family, bold, italic != FALSE, false);
    if (!match || !HasProbe(match.get())) match = Match(config, std::string(), bold, italic != FALSE, true);
    if (!match || !HasProbe(match.get())) {
        LogError("fonts: no installed face has Japanese glyphs (asked for \"%s\")", family.c_str());
        return false;
    }
    return Describe(match.get(), bold, italic != FALSE, choice);
}

bool ResolveFontFace(LPCWSTR faceName, UINT weight, BOOL italic, FontFaceInfo& info) {
    FaceChoice choice;
    if (!ChooseFace(faceName, weight, italic, choice)) return false;
    info = choice.info;
    return true;
}

bool FontFaceCoversText(const FontFaceInfo& info, LPCWSTR text, WCHAR* firstMissing) {
    if (!text) return true;
    std::lock_guard<std::mutex> hold(g_lock);
    int count = 0;
    FcPattern* face = FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(info.file.c_str()), info.index, nullptr, &count);
    FcCharSet* charset = nullptr;
    bool covered = face && FcPatternGetCharSet(face, FC_CHARSET, 0, &charset) == FcResultMatch && charset;
    for (const WCHAR* c = text; covered && *c; ++c) {
        if (*c < 0x20) continue;  // line breaks and tabs are layout, not glyphs
        if (!FcCharSetHasChar(charset, static_cast<FcChar32>(*c))) {
            covered = false;
            if (firstMissing) *firstMissing = *c;
        }
    }
    if (face) FcPatternDestroy(face);
    return covered;
}

}  // namespace orv::d3dx9
