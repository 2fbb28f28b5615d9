#include "platform/browser/PageParts.h"

#include <cctype>
#include <cstdlib>

namespace platform::browser {

namespace {

struct Attribute
{
    std::string name; // lower case
    std::string value;
    bool hasValue = false;
};

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = char(std::tolower(uint8_t(c)));
    return out;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Only characters that cannot end a declaration or the attribute survive into style.
std::string CssValue(std::string_view v)
{
    std::string out;
    for (char c : v) {
        const uint8_t u = uint8_t(c);
        if (std::isalnum(u) || c == '#' || c == '%' || c == '.' || c == '-' || c == '_' || c == ' ' ||
            c == ',' || c == '+' || u >= 0x80)
            out += c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    while (!out.empty() && out.front() == ' ')
        out.erase(out.begin());
    return out;
}

// "ff0000" and "f00" without their hash are colours too in old pages.
std::string Color(std::string_view v)
{
    std::string c = CssValue(v);
    if ((c.size() == 6 || c.size() == 3) &&
        c.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos)
        return "#" + c;
    return c;
}

// "120" is pixels, "50%" stays a percentage.
std::string Length(std::string_view v)
{
    std::string c = CssValue(v);
    if (c.empty() || !std::isdigit(uint8_t(c[0])))
        return {};
    size_t digits = 0;
    while (digits < c.size() && (std::isdigit(uint8_t(c[digits])) || c[digits] == '.'))
        ++digits;
    if (digits < c.size() && c[digits] == '%')
        return c.substr(0, digits + 1);
    return c.substr(0, digits) + "px";
}

std::string Url(std::string_view v)
{
    std::string out;
    for (char c : v)
        if (c != '"' && c != '\'' && c != '(' && c != ')' && c != ';' && c != '\\' && !IsSpace(c))
            out += c;
    return out;
}

// <font size>: 1 to 7, or relative to 3 with a sign.
std::string FontSize(std::string_view v)
{
    std::string c = CssValue(v);
    if (c.empty())
        return {};
    int n = std::atoi(c.c_str() + ((c[0] == '+' || c[0] == '-') ? 1 : 0));
    if (c[0] == '+')
        n = 3 + n;
    else if (c[0] == '-')
        n = 3 - n;
    static const char* sizes[] = {"10px", "13px", "16px", "18px", "24px", "32px", "48px"};
    n = n < 1 ? 1 : n > 7 ? 7 : n;
    return sizes[n - 1];
}

struct Tag
{
    std::string name; // lower case
    std::vector<Attribute> attributes;
    bool selfClosing = false;

    const Attribute* Find(std::string_view n) const
    {
        for (const Attribute& a : attributes)
            if (a.name == n)
                return &a;
        return nullptr;
    }
};

class Converter
{
public:
    std::string Styles(const Tag& tag)
    {
        std::string css;
        auto add = [&](const char* property, const std::string& value) {
            if (!value.empty())
                css += std::string(property) + ":" + value + ";";
        };
        auto attr = [&](const char* n) -> std::string {
            const Attribute* a = tag.Find(n);
            return a ? a->value : std::string();
        };
        auto has = [&](const char* n) { return tag.Find(n) != nullptr; };
        const std::string& t = tag.name;
        const bool cell = t == "td" || t == "th";
        if (t == "body" || t == "table" || t == "tr" || cell) {
            add("background-color", Color(attr("bgcolor")));
            if (has("background") && !Url(attr("background")).empty())
                css += "background-image:url(" + Url(attr("background")) + ");";
        }
        if (t == "body")
            add("color", Color(attr("text")));
        // The body's link colour is the page's; an inline colour outranks the master sheet.
        if (t == "a" && has("href"))
            add("color", linkColour_);
        if (t == "table" || cell || t == "img" || t == "hr") {
            add("width", Length(attr("width")));
            if (t != "hr")
                add("height", Length(attr("height")));
        }
        const std::string align = Lower(CssValue(attr("align")));
        if (t == "table" || t == "hr") {
            if (align == "center")
                css += "margin-left:auto;margin-right:auto;";
            else if (align == "left" || align == "right")
                css += t == "table" ? "float:" + align + ";"
                                    : "margin-" + std::string(align == "left" ? "right" : "left") + ":auto;";
        }
        if (cell || t == "tr" || t == "p" || t == "div" || t == "caption" ||
            (t.size() == 2 && t[0] == 'h' && t[1] >= '1' && t[1] <= '6')) {
            if (align == "center" || align == "left" || align == "right" || align == "justify")
                add("text-align", align);
        }
        if (cell || t == "tr") {
            const std::string valign = Lower(CssValue(attr("valign")));
            if (valign == "top" || valign == "middle" || valign == "bottom" || valign == "baseline")
                add("vertical-align", valign);
            if (has("nowrap"))
                css += "white-space:nowrap;";
        }
        if (cell && !tables_.empty()) {
            if (!tables_.back().padding.empty())
                add("padding", tables_.back().padding);
            if (tables_.back().border)
                css += "border:1px inset gray;";
        }
        if (t == "font") {
            add("color", Color(attr("color")));
            if (has("size"))
                add("font-size", FontSize(attr("size")));
            add("font-family", CssValue(attr("face")));
        }
        if (t == "img") {
            if (align == "left" || align == "right")
                add("float", align);
            else if (align == "top" || align == "bottom" || align == "middle")
                add("vertical-align", align);
            else if (align == "absmiddle")
                add("vertical-align", "middle");
            const std::string h = Length(attr("hspace")), v = Length(attr("vspace"));
            if (!h.empty())
                css += "margin-left:" + h + ";margin-right:" + h + ";";
            if (!v.empty())
                css += "margin-top:" + v + ";margin-bottom:" + v + ";";
            const std::string b = Length(attr("border"));
            if (!b.empty())
                css += "border:" + b + " solid;";
        }
        if (t == "hr") {
            const std::string size = Length(attr("size"));
            if (!size.empty())
                css += "height:" + size + ";border-width:0;";
            const std::string color = Color(attr("color"));
            if (!color.empty())
                css += "background-color:" + color + ";border-color:" + color + ";";
        }
        return css;
    }

    void Open(const Tag& tag)
    {
        if (tag.name == "body")
            if (const Attribute* a = tag.Find("link"))
                linkColour_ = Color(a->value);
        if (tag.name == "table") {
            TableState s;
            if (const Attribute* a = tag.Find("cellpadding"))
                s.padding = Length(a->value);
            if (const Attribute* a = tag.Find("border"))
                s.border = !a->hasValue || std::atoi(a->value.c_str()) > 0;
            tables_.push_back(s);
        }
    }
    void Close(std::string_view name)
    {
        if (name == "table" && !tables_.empty())
            tables_.pop_back();
    }

private:
    struct TableState
    {
        std::string padding;
        bool border = false;
    };
    std::vector<TableState> tables_;
    std::string linkColour_;
};

// Parses the tag that starts at html[i] ('<' followed by a letter); `end` gets
// the index after its '>' (or the end of the text).
Tag ParseTag(std::string_view html, size_t i, size_t& end)
{
    Tag tag;
    size_t p = i + 1;
    const size_t n = html.size();
    while (p < n && (std::isalnum(uint8_t(html[p])) || html[p] == '-' || html[p] == ':'))
        ++p;
    tag.name = Lower(html.substr(i + 1, p - i - 1));
    while (p < n && html[p] != '>') {
        if (IsSpace(html[p])) {
            ++p;
            continue;
        }
        if (html[p] == '/') {
            if (p + 1 < n && html[p + 1] == '>')
                tag.selfClosing = true;
            ++p;
            continue;
        }
        size_t s = p;
        while (p < n && !IsSpace(html[p]) && html[p] != '=' && html[p] != '>' && !(html[p] == '/' && p > s))
            ++p;
        if (p == s) {
            ++p;
            continue;
        }
        Attribute a;
        a.name = Lower(html.substr(s, p - s));
        size_t q = p;
        while (q < n && IsSpace(html[q]))
            ++q;
        if (q < n && html[q] == '=') {
            ++q;
            while (q < n && IsSpace(html[q]))
                ++q;
            a.hasValue = true;
            if (q < n && (html[q] == '"' || html[q] == '\'')) {
                const char quote = html[q];
                const size_t close = html.find(quote, q + 1);
                const size_t stop = close == std::string_view::npos ? n : close;
                a.value = std::string(html.substr(q + 1, stop - q - 1));
                p = stop == n ? n : stop + 1;
            } else {
                size_t v = q;
                while (v < n && !IsSpace(html[v]) && html[v] != '>')
                    ++v;
                a.value = std::string(html.substr(q, v - q));
                p = v;
            }
        }
        tag.attributes.push_back(std::move(a));
    }
    end = p < n ? p + 1 : n;
    return tag;
}

std::string Escaped(std::string_view v)
{
    std::string out;
    for (char c : v) {
        if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

std::string Rebuild(const Tag& tag, std::string_view original, const std::string& legacy)
{
    // Keep the name as written; attributes are re-quoted.
    size_t nameEnd = 1;
    while (nameEnd < original.size() &&
           (std::isalnum(uint8_t(original[nameEnd])) || original[nameEnd] == '-' || original[nameEnd] == ':'))
        ++nameEnd;
    std::string out(original.substr(0, nameEnd));
    std::string style = legacy;
    for (const Attribute& a : tag.attributes) {
        if (a.name == "style") {
            style += a.value;
            continue;
        }
        out += " " + a.name;
        if (a.hasValue)
            out += "=\"" + Escaped(a.value) + "\"";
    }
    out += " style=\"" + Escaped(style) + "\"";
    out += tag.selfClosing ? " />" : ">";
    return out;
}

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view prefix)
{
    if (at + prefix.size() > text.size())
        return false;
    for (size_t k = 0; k < prefix.size(); ++k)
        if (std::tolower(uint8_t(text[at + k])) != std::tolower(uint8_t(prefix[k])))
            return false;
    return true;
}

} // namespace

std::string ConvertLegacyMarkup(std::string_view html)
{
    std::string out;
    out.reserve(html.size() + html.size() / 8);
    Converter converter;
    size_t i = 0;
    const size_t n = html.size();
    while (i < n) {
        const char c = html[i];
        if (c != '<' || i + 1 >= n) {
            out += c;
            ++i;
            continue;
        }
        if (html.compare(i, 4, "<!--") == 0) {
            const size_t close = html.find("-->", i + 4);
            const size_t stop = close == std::string_view::npos ? n : close + 3;
            out.append(html.substr(i, stop - i));
            i = stop;
            continue;
        }
        if (html[i + 1] == '/') {
            size_t p = i + 2;
            while (p < n && std::isalnum(uint8_t(html[p])))
                ++p;
            converter.Close(Lower(html.substr(i + 2, p - i - 2)));
            out += c;
            ++i;
            continue;
        }
        if (!std::isalpha(uint8_t(html[i + 1]))) {
            out += c;
            ++i;
            continue;
        }
        size_t end = i;
        const Tag tag = ParseTag(html, i, end);
        const std::string_view original = html.substr(i, end - i);
        converter.Open(tag);
        const std::string legacy = converter.Styles(tag);
        if (legacy.empty() || original.back() != '>')
            out.append(original);
        else
            out += Rebuild(tag, original, legacy);
        i = end;
        // Script and style bodies are not markup.
        if ((tag.name == "script" || tag.name == "style") && !tag.selfClosing) {
            size_t close = i;
            while (close < n && !(html[close] == '<' && StartsWithNoCase(html, close, "</" + tag.name)))
                ++close;
            out.append(html.substr(i, close - i));
            i = close;
        }
    }
    return out;
}

} // namespace platform::browser
