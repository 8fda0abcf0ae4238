#include "number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

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
    template <typename Predicate>
    bool takeIf(Predicate predicate) {
        if (atEnd() || !predicate(peek())) {
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

}  // namespace varnelle
