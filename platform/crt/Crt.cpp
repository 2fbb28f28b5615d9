#include "platform/crt/Crt.h"

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace crt {

namespace {

thread_local uint32_t randSeed = 1;

std::string VFormat(const char* format, va_list args)
{
    std::string out;
    const char* p = format;
    while (*p) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            p += 2;
            continue;
        }
        // Collect one conversion: flags, width, precision, length, type.
        std::string conv = "%";
        ++p;
        std::string flags;
        while (*p && std::strchr("-+ #0", *p))
            flags += *p++;
        conv += flags;
        int width = -1;
        if (*p == '*') {
            width = va_arg(args, int);
            ++p;
            conv += std::to_string(width);
        } else {
            while (*p >= '0' && *p <= '9') {
                width = (width < 0 ? 0 : width * 10) + (*p - '0');
                conv += *p++;
            }
        }
        int precision = -1;
        if (*p == '.') {
            conv += *p++;
            precision = 0;
            if (*p == '*') {
                precision = va_arg(args, int);
                ++p;
                conv += std::to_string(precision < 0 ? 0 : precision);
                if (precision < 0)
                    precision = -1;
            } else {
                while (*p >= '0' && *p <= '9') {
                    precision = precision * 10 + (*p - '0');
                    conv += *p++;
                }
            }
        }
        std::string length;
        if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
            length = "ll";
            p += 3;
        } else {
            while (*p && std::strchr("hlLqjzt", *p))
                length += *p++;
        }
        char type = *p;
        if (!type)
            break;
        ++p;
        conv += length;
        conv += type;

        char buf[512];
        int n = 0;
        switch (type) {
        case 'f':
        case 'F': {
            double v = length == "L" ? double(va_arg(args, long double)) : va_arg(args, double);
            if (!std::isfinite(v)) {
                n = std::snprintf(buf, sizeof buf, conv.c_str(), v);
                break;
            }
            std::string body = FormatFixed(std::fabs(v), precision < 0 ? 6 : precision);
            if (flags.find('#') != std::string::npos && body.find('.') == std::string::npos)
                body += '.';
            std::string sign = std::signbit(v)                        ? "-"
                               : flags.find('+') != std::string::npos ? "+"
                               : flags.find(' ') != std::string::npos ? " "
                                                                      : "";
            size_t total = sign.size() + body.size();
            std::string padded;
            if (width > 0 && total < size_t(width)) {
                size_t pad = size_t(width) - total;
                if (flags.find('-') != std::string::npos)
                    padded = sign + body + std::string(pad, ' ');
                else if (flags.find('0') != std::string::npos)
                    padded = sign + std::string(pad, '0') + body;
                else
                    padded = std::string(pad, ' ') + sign + body;
            } else {
                padded = sign + body;
            }
            out += padded;
            continue;
        }
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            if (length == "L")
                n = std::snprintf(buf, sizeof buf, conv.c_str(), va_arg(args, long double));
            else
                n = std::snprintf(buf, sizeof buf, conv.c_str(), va_arg(args, double));
            break;
        case 'd':
        case 'i':
        case 'u':
        case 'o':
        case 'x':
        case 'X':
            if (length == "ll" || length == "q" || length == "j")
                n = std::snprintf(buf, sizeof buf, conv.c_str(), va_arg(args, long long));
            else if (length == "l" || length == "z" || length == "t")
                n = std::snprintf(buf, sizeof buf, conv.c_str(), va_arg(args, long));
            else
                n = std::snprintf(buf, sizeof buf, conv.c_str(), va_arg(args, int));
            break;
        case 'c':
            n = std::snprintf(buf, sizeof buf, conv.c_str(), va_arg(args, int));
            break;
        case 'p':
            n = std::snprintf(buf, sizeof buf, conv.c_str(), va_arg(args, void*));
            break;
        case 's': {
            const char* s = va_arg(args, const char*);
            if (!s)
                s = "(null)";
            // Long texts: format without the fixed buffer.
            int need = std::snprintf(nullptr, 0, conv.c_str(), s);
            if (need > 0) {
                std::string tmp(size_t(need) + 1, '\0');
                std::snprintf(tmp.data(), tmp.size(), conv.c_str(), s);
                tmp.resize(size_t(need));
                out += tmp;
            }
            continue;
        }
        case 'n':
            (void)va_arg(args, int*);
            continue;
        default:
            out += conv;
            continue;
        }
        if (n > 0)
            out.append(buf, size_t(n) < sizeof buf ? size_t(n) : sizeof buf - 1);
    }
    return out;
}

} // namespace

void srand(unsigned int seed)
{
    randSeed = seed;
}

int rand()
{
    randSeed = randSeed * 214013u + 2531011u;
    return int((randSeed >> 16) & 0x7FFF);
}

std::string FormatFixed(double value, int precision)
{
    if (precision < 0)
        precision = 6;
    if (!std::isfinite(value)) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.*f", precision, value);
        return buf;
    }
    bool negative = std::signbit(value);
    double a = std::fabs(value);
    // 17 significant digits and the decimal exponent of the first one.
    char sci[40];
    std::snprintf(sci, sizeof sci, "%.16e", a);
    std::string digits;
    for (const char* c = sci; *c && *c != 'e'; ++c)
        if (*c >= '0' && *c <= '9')
            digits += *c;
    int exponent = std::atoi(std::strchr(sci, 'e') + 1);
    if (a == 0.0)
        exponent = 0;

    // Digits as an integer string scaled by 10^precision: the kept digit count.
    long keep = long(exponent) + 1 + precision;
    std::string kept;
    if (keep <= 0) {
        kept = (keep == 0 && digits[0] >= '5') ? "1" : "0";
    } else if (size_t(keep) >= digits.size()) {
        kept = digits + std::string(size_t(keep) - digits.size(), '0');
    } else {
        kept = digits.substr(0, size_t(keep));
        if (digits[size_t(keep)] >= '5') {
            int i = int(kept.size()) - 1;
            while (i >= 0 && kept[size_t(i)] == '9')
                kept[size_t(i--)] = '0';
            if (i < 0)
                kept.insert(kept.begin(), '1');
            else
                ++kept[size_t(i)];
        }
    }
    if (kept.size() < size_t(precision) + 1)
        kept.insert(0, size_t(precision) + 1 - kept.size(), '0');
    std::string out = negative ? "-" : "";
    out += kept.substr(0, kept.size() - size_t(precision));
    if (precision > 0) {
        out += '.';
        out += kept.substr(kept.size() - size_t(precision));
    }
    return out;
}

int snprintf(char* buffer, std::size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = format ? VFormat(format, args) : std::string();
    va_end(args);
    if (buffer && size > 0) {
        std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
    return int(text.size());
}

std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = format ? VFormat(format, args) : std::string();
    va_end(args);
    return text;
}

} // namespace crt
