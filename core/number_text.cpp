#include "number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace varnelle {
namespace {

bool isIgnoredBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// Walks a text character by character, passing over the blanks that the
// reading rule ignores wherever they stand.
class BlankSkippingReader {
  public:
    explicit BlankSkippingReader(std::string_view text) : text_(text) { skipBlanks(); }

    bool atEnd() const { return position_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[position_]; }
    void advance() {
        ++position_;
        skipBlanks();
    }
    bool take(char c) {
        if (peek() != c || atEnd()) {
            return false;
        }
        advance();
        return true;
    }

  private:
    void skipBlanks() {
        while (position_ < text_.size() && isIgnoredBlank(text_[position_])) {
            ++position_;
        }
    }

    std::string_view text_;
    std::size_t position_ = 0;
};

bool isDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

int digitValue(char c) {
    if (isDecimalDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return 99;
}

// "&H1F", "&O17": an unsigned integer in base 16 or 8, rounded to a double
// (infinite once it passes the largest double).
double readRadixInteger(BlankSkippingReader& reader, int base) {
    double value = 0;
    while (!reader.atEnd() && digitValue(reader.peek()) < base) {
        value = value * base + digitValue(reader.peek());
        reader.advance();
    }
    return value;
}

// Far past any text held in memory: a saturated exponent still outweighs the
// number of digits of any mantissa.
constexpr long long exponentSaturation = 1'000'000'000'000'000;

// The value of `mantissa` (digits with at most one period) times ten to
// `exponent`. The mantissa is brought to 0.ddd form first, so that its length
// and the exponent balance each other whatever their sizes: a million-digit
// mantissa with a million-strong negative exponent is an ordinary number.
double decimalValue(const std::string& mantissa, long long exponent) {
    const auto point = mantissa.find('.');
    const std::string_view whole = std::string_view(mantissa).substr(0, point);
    const std::string_view fraction = point == std::string::npos
                                          ? std::string_view()
                                          : std::string_view(mantissa).substr(point + 1);
    std::string digits;
    digits.reserve(whole.size() + fraction.size());
    digits.append(whole).append(fraction);
    const auto first = digits.find_first_not_of('0');
    if (first == std::string::npos) {
        return 0;
    }
    const auto last = digits.find_last_not_of('0');
    // 0.digits[first..last] times ten to this:
    const long long scale =
        static_cast<long long>(whole.size()) - static_cast<long long>(first) + exponent;
    constexpr long long beyondDoubles = 400;  // doubles span about 1e-324 to 1e308
    if (scale > beyondDoubles) {
        return std::numeric_limits<double>::infinity();
    }
    if (scale < -beyondDoubles) {
        return 0;
    }
    const std::string text =
        "0." + digits.substr(first, last - first + 1) + 'e' + std::to_string(scale);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        return scale > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return value;
}

// The decimal number: the sign, the digits and the exponent are gathered into
// a compact text for std::from_chars, which reads it exactly and ignores the
// user's locale.
double readDecimal(BlankSkippingReader& reader) {
    std::string mantissa;
    const bool negative = reader.peek() == '-';
    if (!reader.take('-')) {
        reader.take('+');
    }
    bool anyDigit = false;
    while (!reader.atEnd() && isDecimalDigit(reader.peek())) {
        mantissa += reader.peek();
        anyDigit = true;
        reader.advance();
    }
    if (reader.take('.')) {
        mantissa += '.';
        while (!reader.atEnd() && isDecimalDigit(reader.peek())) {
            mantissa += reader.peek();
            anyDigit = true;
            reader.advance();
        }
    }
    if (!anyDigit) {
        return 0;
    }

    // Exponent: an exponent letter without digits is not part of the number.
    long long exponent = 0;
    const char letter = reader.peek();
    if (letter == 'e' || letter == 'E' || letter == 'd' || letter == 'D') {
        reader.advance();
        const bool negativeExponent = reader.peek() == '-';
        if (!reader.take('-')) {
            reader.take('+');
        }
        while (!reader.atEnd() && isDecimalDigit(reader.peek())) {
            exponent = std::min(exponentSaturation, exponent * 10 + (reader.peek() - '0'));
            reader.advance();
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }
    const double magnitude = decimalValue(mantissa, exponent);
    return negative ? -magnitude : magnitude;
}

// Every integer digit, then `decimals` decimals, correctly rounded; "-0"
// and "-0.000" lose their sign.
std::string fixedText(double value, int decimals) {
    std::array<char, 400> buffer{};  // the largest double has 309 integer digits
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, decimals);
    std::string text(buffer.data(), result.ptr);
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) {
        text.erase(0, 1);
    }
    return text;
}

}  // namespace

double numberFromText(std::string_view text) {
    BlankSkippingReader reader(text);
    if (reader.take('&')) {
        if (reader.take('H') || reader.take('h')) {
            return readRadixInteger(reader, 16);
        }
        if (reader.take('O') || reader.take('o')) {
            return readRadixInteger(reader, 8);
        }
        return 0;
    }
    return readDecimal(reader);
}

std::string wholeNumberText(double value) {
    return fixedText(std::round(value), 0);
}

std::string resultText(double value, char decimalSeparator) {
    return measureText(value, decimalSeparator, 3, 3);
}

std::string measureText(double value, char decimalSeparator, int minDecimals, int maxDecimals) {
    std::string text = fixedText(value, maxDecimals);
    const auto point = text.find('.');
    if (point == std::string::npos) {
        return text;
    }
    std::size_t keep = text.size();
    while (keep > point + 1 + static_cast<std::size_t>(minDecimals) && text[keep - 1] == '0') {
        --keep;
    }
    if (keep == point + 1) {
        keep = point;  // no decimal left: no separator either
    }
    text.resize(keep);
    if (keep > point) {
        text[point] = decimalSeparator;
    }
    return text;
}

namespace {

// The spaces people put between groups of digits, in UTF-8: ordinary,
// no-break (U+00A0) and narrow no-break (U+202F), the one Qt writes in French.
constexpr std::string_view digitGroupSpaces[] = {" ", "\xC2\xA0", "\xE2\x80\xAF"};

std::size_t groupSpaceAt(std::string_view text, std::size_t at) {
    for (const std::string_view space : digitGroupSpaces) {
        if (text.substr(at, space.size()) == space) {
            return space.size();
        }
    }
    return 0;
}

// Blanks and spaces of any kind are passed over around the number.
std::size_t blankLengthAt(std::string_view text, std::size_t at) {
    return isIgnoredBlank(text[at]) ? 1 : groupSpaceAt(text, at);
}

std::size_t blankLengthAtEnd(std::string_view text) {
    for (std::size_t length = 1; length <= 3 && length <= text.size(); ++length) {
        if (blankLengthAt(text, text.size() - length) == length) {
            return length;
        }
    }
    return 0;
}

std::string_view trimmedOfBlanks(std::string_view text) {
    while (!text.empty() && blankLengthAt(text, 0) > 0) {
        text.remove_prefix(blankLengthAt(text, 0));
    }
    while (!text.empty() && blankLengthAtEnd(text) > 0) {
        text.remove_suffix(blankLengthAtEnd(text));
    }
    return text;
}

// The integer digits, grouped by three after the first group or not at all;
// false when a space stands anywhere else.
bool takeIntegerDigits(std::string_view text, std::size_t& at, std::string& digits) {
    std::size_t groupLength = 0;
    bool grouped = false;
    while (at < text.size()) {
        if (isDecimalDigit(text[at])) {
            digits += text[at++];
            ++groupLength;
            continue;
        }
        const std::size_t space = groupSpaceAt(text, at);
        if (space == 0) {
            break;
        }
        // A space follows a first group of one to three digits, or a full group.
        if (groupLength == 0 || groupLength > 3 || (grouped && groupLength != 3)) {
            return false;
        }
        grouped = true;
        groupLength = 0;
        at += space;
    }
    return !grouped || groupLength == 3;
}

}  // namespace

std::optional<double> typedNumber(std::string_view text, char decimalSeparator) {
    text = trimmedOfBlanks(text);
    std::size_t at = 0;
    std::string number;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        if (text[at] == '-') {
            number += '-';
        }
        ++at;
    }
    std::string integer;
    if (!takeIntegerDigits(text, at, integer)) {
        return std::nullopt;
    }
    std::string decimals;
    if (at < text.size() && (text[at] == '.' || text[at] == decimalSeparator)) {
        ++at;
        while (at < text.size() && isDecimalDigit(text[at])) {
            decimals += text[at++];
        }
    }
    if (at != text.size() || (integer.empty() && decimals.empty())) {
        return std::nullopt;
    }
    number += (integer.empty() ? "0" : integer) + '.' + (decimals.empty() ? "0" : decimals);
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) {
        return std::nullopt;  // out of a double's range: no tank measures that
    }
    return value;
}

std::string groupedText(std::string number, std::string_view group) {
    if (group.empty()) {
        return number;
    }
    const std::size_t firstDigit = number.find_first_of("0123456789");
    if (firstDigit == std::string::npos) {
        return number;
    }
    std::size_t end = firstDigit;
    while (end < number.size() && isDecimalDigit(number[end])) {
        ++end;
    }
    for (std::size_t at = end; at > firstDigit + 3; at -= 3) {
        number.insert(at - 3, group);
    }
    return number;
}

}  // namespace varnelle
