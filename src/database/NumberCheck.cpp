#include "database/NumberCheck.h"

#include "database/DrivenAttributes.h"
#include "database/ObjectType.h"

#include <tinyxml.h>

#include <cctype>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

enum class Range { Any, NotNegative, Positive };

// A real attribute, its object's type and the values the object can use.
struct RealRule {
    int type;
    const char* attribute;
    Range range;
};

constexpr RealRule realRules[] = {
    {TypeMusic, "tempo", Range::Positive},          // beats per minute: the editor's time step
    {TypeFloat, "value", Range::Any},
    {TypeFloat, "step", Range::Positive},           // the knob's step
    {TypePathSpline, "scale", Range::Positive},     // zero or less flattens or turns a model inside out
    {TypeVisualOverlay, "start", Range::Any},
    {TypeVisualOverlay, "stop", Range::Any},
    {TypeVisualOverlay, "t1", Range::NotNegative},  // fade durations
    {TypeVisualOverlay, "t2", Range::NotNegative},
    {TypeVisualOverlay, "u0", Range::Any},
    {TypeVisualOverlay, "v0", Range::Any},
    {TypeVisualOverlay, "u1", Range::Any},
    {TypeVisualOverlay, "v1", Range::Any},
    {TypeVisualOverlay, "alpha", Range::NotNegative},  // overall opacity
    {TypeVisualScene, "near", Range::Positive},     // a projection needs a near plane in front of the eye
    {TypeVisualScene, "far", Range::Positive},
    {TypeVisualScene, "aspect", Range::Positive},
    {TypeModelGroup, "size", Range::Positive},      // how far the editor's viewer stands back
    {TypeModelQuad, "u0", Range::Any},
    {TypeModelQuad, "v0", Range::Any},
    {TypeModelQuad, "u1", Range::Any},
    {TypeModelQuad, "v1", Range::Any},
    {TypeModelCloud, "scale1", Range::Positive},
    {TypeModelCloud, "scale2", Range::Positive},
    {TypeModelStars, "scale1", Range::Positive},
    {TypeModelStars, "scale2", Range::Positive},
    {TypeModelArrow, "scale1", Range::Positive},    // trail length in seconds
    {TypeModelArrow, "scale2", Range::Positive},    // ribbon width
};

// Attributes read with "%x" as a colour.
struct ColourRule {
    int type;
    const char* attribute;
};

constexpr ColourRule colourRules[] = {
    {TypeModelArrow, "color"},
    {TypeTextureTarget, "color"},
};

std::string quoted(const char* text) { return std::string("\"") + text + "\""; }

bool onlySpaceFrom(const char* p) {
    while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
    return *p == '\0';
}

// The whole text as one real number; why not in *why.
bool readReal(const char* text, double* value, std::string* why) {
    char* end = nullptr;
    *value = std::strtod(text, &end);
    if (end == text || !onlySpaceFrom(end)) {
        *why = "is not a number";
        return false;
    }
    if (!std::isfinite(*value)) {
        *why = "is not a finite number";
        return false;
    }
    if (std::fabs(*value) > FLT_MAX) {
        *why = "is too large to be kept (at most about 3.4e38)";
        return false;
    }
    return true;
}

// Why text is not a value usable in range, or empty when it is one (then in *value).
std::string problemOf(const char* text, Range range, double* value) {
    std::string why;
    if (!readReal(text, value, &why)) return why;
    if (range == Range::Positive && !(*value > 0.0)) return "must be above 0";
    if (range == Range::NotNegative && *value < 0.0) return "must not be negative";
    return {};
}

// One whitespace-free token as a whole number within int; base 0 also takes 0x and 0 prefixes.
bool readWhole(const std::string& token, int base, long* value) {
    if (token.empty()) return false;
    char* end = nullptr;
    errno = 0;
    *value = std::strtol(token.c_str(), &end, base);
    return *end == '\0' && end != token.c_str() && errno == 0 && *value >= INT_MIN && *value <= INT_MAX;
}

std::vector<std::string> tokensOf(const char* text) {
    std::istringstream stream(text);
    std::vector<std::string> tokens;
    for (std::string token; stream >> token;) tokens.push_back(token);
    return tokens;
}

bool isHexColour(const char* text) {
    while (std::isspace(static_cast<unsigned char>(*text))) ++text;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text += 2;
    int digits = 0;
    for (; std::isxdigit(static_cast<unsigned char>(*text)); ++text) ++digits;
    return digits >= 1 && digits <= 8 && onlySpaceFrom(text);
}

class Reporter {
public:
    Reporter(const TiXmlElement* element, const std::string& name, std::vector<DocumentProblem>* problems)
        : element(element), name(name), problems(problems) {}
    void operator()(const std::string& message) const { problems->push_back({element->Row(), name, message}); }

    // A present attribute whose value is no real number usable in range; absent is the default.
    void real(const char* attribute, Range range) const {
        const char* text = element->Attribute(attribute);
        if (namesFloat(text)) return;  // following a float: the float's own check
        double value = 0.0;
        const std::string why = text != nullptr ? problemOf(text, range, &value) : std::string();
        if (!why.empty()) (*this)(std::string(attribute) + " " + quoted(text) + " " + why);
    }

private:
    const TiXmlElement* element;
    const std::string& name;
    std::vector<DocumentProblem>* problems;
};

// A value for comparisons: the default when absent; false when unusable (reported on its own).
bool usableReal(const char* text, Range range, double* value) {
    return text == nullptr || problemOf(text, range, value).empty();
}

std::string shortNumber(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

void checkOverlayPosition(const TiXmlElement* element, const Reporter& report) {
    const char* text = element->Attribute("position");
    if (text == nullptr) return;
    const std::vector<std::string> tokens = tokensOf(text);
    const std::string start = std::string("position ") + quoted(text);
    if (tokens.size() > 4) {
        report(start + " holds more than four numbers (x y width height)");
        return;
    }
    static const char* const names[] = {"x", "y", "width", "height"};
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        long value = 0;
        if (tokens[i][0] == '@') continue;  // follows a float
        if (!readWhole(tokens[i], 0, &value)) {
            report(start + ": " + names[i] + " " + tokens[i] + " is not a whole number of pixels");
            return;
        }
        if (i >= 2 && value < 0) {
            report(start + ": the " + names[i] + " " + tokens[i] + " is negative, so the overlay would not show");
            return;
        }
    }
}

void checkWholeAttribute(const TiXmlElement* element, const char* attribute, const Reporter& report) {
    const char* text = element->Attribute(attribute);
    if (text == nullptr) return;
    const std::vector<std::string> tokens = tokensOf(text);
    long value = 0;
    if (tokens.size() != 1 || !readWhole(tokens[0], 10, &value))
        report(std::string(attribute) + " " + quoted(text) + " is not a whole number");
}

}  // namespace

void NumberCheck::checkObject(const TiXmlElement* element, int type, const std::string& name,
                              std::vector<DocumentProblem>* problems) {
    const Reporter report(element, name, problems);
    for (const RealRule& rule : realRules)
        if (rule.type == type) report.real(rule.attribute, rule.range);
    for (const ColourRule& rule : colourRules) {
        const char* text = element->Attribute(rule.attribute);
        if (rule.type == type && text != nullptr && !isHexColour(text) && !namesFloat(text))
            report(std::string(rule.attribute) + " " + quoted(text) + " is not a hexadecimal ARGB colour such as ff000000");
    }
    switch (type) {
    case TypeVisualScene: {
        double nearPlane = 10.0, farPlane = 10000.0;  // the scene's defaults
        if (usableReal(element->Attribute("near"), Range::Positive, &nearPlane) &&
            usableReal(element->Attribute("far"), Range::Positive, &farPlane) && !(farPlane > nearPlane))
            report("far (" + shortNumber(farPlane) + ") must be beyond near (" + shortNumber(nearPlane) +
                   "): nothing between them could be seen");
        break;
    }
    case TypeVisualOverlay: checkOverlayPosition(element, report); break;
    case TypeTextureTarget: checkWholeAttribute(element, "size", report); break;
    case TypeTextureCloud: checkWholeAttribute(element, "seed", report); break;
    default: break;
    }
}

void NumberCheck::checkFloatKey(const TiXmlElement* key, const std::string& name,
                                std::vector<DocumentProblem>* problems) {
    const Reporter report(key, name, problems);
    report.real("t", Range::Any);
    report.real("v", Range::Any);
}

void NumberCheck::checkKey(const TiXmlElement* key, const std::string& name, std::vector<DocumentProblem>* problems) {
    const Reporter report(key, name, problems);
    report.real("t", Range::Any);

    const char* p = key->Attribute("p");
    if (p == nullptr) return;
    const std::vector<std::string> tokens = tokensOf(p);
    const std::string start = std::string("p ") + quoted(p);
    if (tokens.size() != 3 && tokens.size() != 6) {
        report(start + " holds " + std::to_string(tokens.size()) +
               " numbers: a key takes x y z, or x y z and the orientation's x y z");
        return;
    }
    std::vector<long> numbers;
    for (const std::string& token : tokens) {
        long value = 0;
        if (!readWhole(token, 10, &value)) {
            report(start + ": " + token + " is not a whole number, and the key keeps whole numbers only");
            return;
        }
        numbers.push_back(value);
    }
    if (numbers.size() == 6) {
        const double length = std::sqrt(double(numbers[3]) * numbers[3] + double(numbers[4]) * numbers[4] +
                                        double(numbers[5]) * numbers[5]);
        if (length > 1000.0)  // 999 and the rounding of three numbers
            report(start + ": the orientation's x y z (in 1/999) are " + shortNumber(std::round(length)) +
                   " long, more than the 999 of a unit quaternion");
    }

    const char* tcb = key->Attribute("tcb");
    if (tcb == nullptr || numbers.size() != 6) return;  // without an orientation tcb is not read
    const std::vector<std::string> controls = tokensOf(tcb);
    const std::string tcbStart = std::string("tcb ") + quoted(tcb);
    if (controls.size() > 3) {
        report(tcbStart + " holds more than three numbers (tension, continuity, bias)");
        return;
    }
    for (const std::string& token : controls) {
        long value = 0;
        if (!readWhole(token, 10, &value)) {
            report(tcbStart + ": " + token + " is not a whole number, and the key keeps whole numbers only");
            return;
        }
        if (value < -99 || value > 99) {
            report(tcbStart + ": " + token + " is outside -99 to +99 (-1 to 1 in 1/99)");
            return;
        }
    }
}

std::string NumberCheck::realProblem(const char* text, double* value) {
    std::string why;
    return readReal(text ? text : "", value, &why) ? std::string() : why;
}
