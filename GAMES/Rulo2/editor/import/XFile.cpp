#include "GAMES/Rulo2/editor/import/XFile.h"

#include <cmath>
#include <cstring>
#include <unordered_map>

#include "GAMES/Rulo2/editor/import/ImportText.h"

namespace xfile {

namespace {

// Binary token codes of the format.
enum : uint16_t
{
    TOKEN_NAME = 1,
    TOKEN_STRING = 2,
    TOKEN_INTEGER = 3,
    TOKEN_GUID = 5,
    TOKEN_INTEGER_LIST = 6,
    TOKEN_FLOAT_LIST = 7,
    TOKEN_OBRACE = 10,
    TOKEN_CBRACE = 11,
    TOKEN_TEMPLATE = 31,
};

// Frames nest; a deeper file is refused rather than read into a deep recursion.
constexpr int kMaxDepth = 256;

} // namespace

struct XFile::Token
{
    enum Kind
    {
        END,
        NAME,
        STRING,
        NUMBERS, // one number or a list of them, in `numbers`
        GUID,
        OBRACE,
        CBRACE,
        TEMPLATE,
        SEPARATOR, // binary punctuation and type words: carry nothing for data
    } kind = END;
    size_t offset = 0;
    std::string text;
    std::vector<double> numbers;
};

std::string XFile::Where(size_t offset) const
{
    if (binary_)
        return std::string(source_) + ": offset " + std::to_string(offset);
    int line = 1, column = 1;
    for (size_t i = 0; i < offset && i < data_.size(); ++i) {
        if (data_[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return std::string(source_) + ":" + std::to_string(line) + ":" + std::to_string(column);
}

bool XFile::Fail(size_t offset, const std::string& what)
{
    if (error_.empty())
        error_ = Where(offset) + ": " + what;
    return false;
}

// ---------------------------------------------------------------- text tokens

bool XFile::NextText(Token& t)
{
    const std::string_view d = data_;
    for (;;) {
        while (pos_ < d.size() &&
               (importtext::IsBlank(d[pos_]) || d[pos_] == '\n' || d[pos_] == ',' || d[pos_] == ';'))
            ++pos_;
        if (pos_ < d.size() && (d[pos_] == '#' || d.substr(pos_, 2) == "//")) {
            while (pos_ < d.size() && d[pos_] != '\n')
                ++pos_;
            continue;
        }
        break;
    }
    t.offset = pos_;
    t.text.clear();
    t.numbers.clear();
    if (pos_ >= d.size()) {
        t.kind = Token::END;
        return true;
    }
    const char c = d[pos_];
    if (c == '{' || c == '}') {
        t.kind = c == '{' ? Token::OBRACE : Token::CBRACE;
        ++pos_;
        return true;
    }
    if (c == '<') {
        const size_t end = d.find('>', pos_);
        if (end == std::string_view::npos)
            return Fail(pos_, "identifier without its closing '>'");
        t.kind = Token::GUID;
        pos_ = end + 1;
        return true;
    }
    if (c == '"') {
        const size_t end = d.find('"', pos_ + 1);
        if (end == std::string_view::npos)
            return Fail(pos_, "string without its closing quote");
        t.kind = Token::STRING;
        t.text = std::string(d.substr(pos_ + 1, end - pos_ - 1));
        pos_ = end + 1;
        return true;
    }
    const size_t start = pos_;
    while (pos_ < d.size() && !std::strchr(" \t\r\n,;{}<>\"", d[pos_]) && d[pos_] != '\0')
        ++pos_;
    if (pos_ == start) {
        // A character that is no token of the format.
        return Fail(start, "unexpected character");
    }
    const std::string_view word = d.substr(start, pos_ - start);
    double value = 0;
    const char first = word[0];
    const bool numeric = (first >= '0' && first <= '9') || first == '-' || first == '+' || first == '.';
    if (numeric && importtext::ParseDouble(word, value)) {
        t.kind = Token::NUMBERS;
        t.numbers.push_back(value);
        return true;
    }
    t.kind = word == "template" ? Token::TEMPLATE : Token::NAME;
    t.text = std::string(word);
    return true;
}

// ---------------------------------------------------------------- binary tokens

bool XFile::NextBinary(Token& t)
{
    const std::string_view d = data_;
    auto u16 = [&](size_t at) { return uint16_t(uint8_t(d[at]) | uint8_t(d[at + 1]) << 8); };
    auto u32 = [&](size_t at) {
        return uint32_t(uint8_t(d[at])) | uint32_t(uint8_t(d[at + 1])) << 8 |
               uint32_t(uint8_t(d[at + 2])) << 16 | uint32_t(uint8_t(d[at + 3])) << 24;
    };
    auto left = [&] { return d.size() - pos_; };
    t.offset = pos_;
    t.text.clear();
    t.numbers.clear();
    if (pos_ >= d.size()) {
        t.kind = Token::END;
        return true;
    }
    if (left() < 2)
        return Fail(pos_, "token cut off by the end of the file");
    const uint16_t code = u16(pos_);
    pos_ += 2;
    switch (code) {
    case TOKEN_NAME:
    case TOKEN_STRING: {
        if (left() < 4)
            return Fail(t.offset, "name cut off by the end of the file");
        const uint32_t n = u32(pos_);
        pos_ += 4;
        if (n > left())
            return Fail(t.offset, "name of " + std::to_string(n) + " bytes runs past the end of the file");
        t.text = std::string(d.substr(pos_, n));
        pos_ += n;
        if (code == TOKEN_STRING) {
            // A string ends with the token of its separator.
            if (left() < 2)
                return Fail(t.offset, "string cut off by the end of the file");
            pos_ += 2;
        }
        t.kind = code == TOKEN_NAME ? Token::NAME : Token::STRING;
        return true;
    }
    case TOKEN_INTEGER:
        if (left() < 4)
            return Fail(t.offset, "integer cut off by the end of the file");
        t.numbers.push_back(u32(pos_));
        pos_ += 4;
        t.kind = Token::NUMBERS;
        return true;
    case TOKEN_GUID:
        if (left() < 16)
            return Fail(t.offset, "identifier cut off by the end of the file");
        pos_ += 16;
        t.kind = Token::GUID;
        return true;
    case TOKEN_INTEGER_LIST:
    case TOKEN_FLOAT_LIST: {
        if (left() < 4)
            return Fail(t.offset, "list cut off by the end of the file");
        const uint32_t n = u32(pos_);
        pos_ += 4;
        const size_t size = code == TOKEN_FLOAT_LIST && doubles_ ? 8 : 4;
        if (n > left() / size)
            return Fail(t.offset, "list of " + std::to_string(n) + " numbers runs past the end of the file");
        t.numbers.resize(n);
        for (uint32_t i = 0; i < n; ++i, pos_ += size) {
            if (code == TOKEN_INTEGER_LIST) {
                t.numbers[i] = u32(pos_);
            } else if (size == 4) {
                const uint32_t bits = u32(pos_);
                float f;
                std::memcpy(&f, &bits, 4);
                t.numbers[i] = std::isfinite(f) ? f : 0.0;
            } else {
                const uint64_t bits = uint64_t(u32(pos_)) | uint64_t(u32(pos_ + 4)) << 32;
                double v;
                std::memcpy(&v, &bits, 8);
                t.numbers[i] = std::isfinite(v) ? v : 0.0;
            }
        }
        t.kind = Token::NUMBERS;
        return true;
    }
    case TOKEN_OBRACE:
        t.kind = Token::OBRACE;
        return true;
    case TOKEN_CBRACE:
        t.kind = Token::CBRACE;
        return true;
    case TOKEN_TEMPLATE:
        t.kind = Token::TEMPLATE;
        return true;
    default:
        // Brackets, separators and the type words of templates.
        if ((code >= 12 && code <= 20) || (code >= 40 && code <= 53)) {
            t.kind = Token::SEPARATOR;
            return true;
        }
        return Fail(t.offset, "unknown token " + std::to_string(code));
    }
}

bool XFile::Next(Token& t)
{
    return binary_ ? NextBinary(t) : NextText(t);
}

// ---------------------------------------------------------------- objects

bool XFile::SkipTemplate()
{
    Token t;
    int depth = 0;
    do {
        if (!Next(t))
            return false;
        if (t.kind == Token::END)
            return Fail(t.offset, "template without its closing '}'");
        if (t.kind == Token::OBRACE)
            ++depth;
        else if (t.kind == Token::CBRACE)
            --depth;
    } while (depth > 0 || t.kind != Token::CBRACE);
    return true;
}

// `t` holds the object's type name; on return the object's closing brace has
// been read.
bool XFile::ParseObject(Token& t, XObject*& out, int depth)
{
    if (depth > kMaxDepth)
        return Fail(t.offset, "objects nested deeper than " + std::to_string(kMaxDepth));
    XObject& o = objects_.emplace_back();
    out = &o;
    o.type = t.text;
    o.offset = t.offset;
    if (!Next(t))
        return false;
    if (t.kind == Token::NAME) {
        o.name = t.text;
        if (!Next(t))
            return false;
    }
    if (t.kind == Token::GUID && !Next(t))
        return false;
    if (t.kind != Token::OBRACE)
        return Fail(t.offset, "'{' expected after '" + o.type + "'");
    for (;;) {
        if (!Next(t))
            return false;
        switch (t.kind) {
        case Token::END:
            return Fail(o.offset, "'" + o.type + "' without its closing '}'");
        case Token::CBRACE:
            return true;
        case Token::NUMBERS:
            o.numbers.insert(o.numbers.end(), t.numbers.begin(), t.numbers.end());
            break;
        case Token::STRING:
            o.strings.push_back(std::move(t.text));
            break;
        case Token::NAME: {
            XObject* child = nullptr;
            if (!ParseObject(t, child, depth + 1))
                return false;
            o.children.push_back({child, {}});
            break;
        }
        case Token::OBRACE: {
            // A reference: "{ Name }", "{ Name <guid> }" or "{ <guid> }".
            std::string name;
            for (;;) {
                if (!Next(t))
                    return false;
                if (t.kind == Token::NAME && name.empty())
                    name = t.text;
                else if (t.kind == Token::CBRACE)
                    break;
                else if (t.kind != Token::GUID)
                    return Fail(t.offset, "reference of '" + o.type + "' not closed by '}'");
            }
            if (!name.empty())
                o.children.push_back({nullptr, name});
            break;
        }
        case Token::TEMPLATE:
            return Fail(t.offset, "template inside '" + o.type + "'");
        case Token::GUID:
        case Token::SEPARATOR:
            break;
        }
    }
}

void XFile::ResolveReferences()
{
    std::unordered_map<std::string, XObject*> byName;
    for (XObject& o : objects_)
        if (!o.name.empty())
            byName.emplace(o.name, &o);
    for (XObject& o : objects_)
        for (XObject::Child& c : o.children)
            if (!c.reference.empty()) {
                auto it = byName.find(c.reference);
                c.object = it == byName.end() ? nullptr : it->second;
            }
}

XFile::Result XFile::Parse(std::string_view bytes, const char* source)
{
    data_ = bytes;
    source_ = source ? source : "";
    error_.clear();
    objects_.clear();
    top_.clear();
    // "xof " version(4) format(4) float size(4).
    if (bytes.size() < 16 || bytes.substr(0, 4) != "xof ")
        return Result::NOT_X;
    const std::string_view format = bytes.substr(8, 4);
    const std::string_view floatSize = bytes.substr(12, 4);
    if (format == "tzip" || format == "bzip")
        return Result::COMPRESSED;
    if ((format != "txt " && format != "bin ") || (floatSize != "0032" && floatSize != "0064"))
        return Result::NOT_X;
    binary_ = format == "bin ";
    doubles_ = floatSize == "0064";
    pos_ = 16;
    Token t;
    for (;;) {
        if (!Next(t))
            return Result::DAMAGED;
        if (t.kind == Token::END)
            break;
        if (t.kind == Token::TEMPLATE) {
            if (!SkipTemplate())
                return Result::DAMAGED;
        } else if (t.kind == Token::NAME) {
            XObject* o = nullptr;
            if (!ParseObject(t, o, 0))
                return Result::DAMAGED;
            top_.push_back(o);
        } else if (t.kind != Token::SEPARATOR) {
            Fail(t.offset, "data object expected");
            return Result::DAMAGED;
        }
    }
    ResolveReferences();
    return Result::OK;
}

} // namespace xfile
