#pragma once
// The .x file format, text ("txt") and binary ("bin", 32- or 64-bit floats),
// read into a tree of data objects. Template declarations are skipped: the
// standard templates are known to the model reader (XImport.cpp), which reads
// each object's data by them. Every other data object is kept only so that
// references ("{ Name }") to it can be resolved.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace xfile {

struct XObject
{
    std::string type; // the template name: "Frame", "Mesh", ...
    std::string name; // empty for an unnamed object
    // The object's own data, numbers and strings each in file order.
    std::vector<double> numbers;
    std::vector<std::string> strings;
    // Nested data objects and references, in file order; after Parse a
    // reference points at the object it names (null when none has that name).
    struct Child
    {
        XObject* object = nullptr;
        std::string reference; // empty for a nested object
    };
    std::vector<Child> children;
    size_t offset = 0; // where the object starts in the file
};

class XFile
{
public:
    enum class Result
    {
        OK,
        NOT_X,      // no .x header
        COMPRESSED, // "tzip" or "bzip"
        DAMAGED,    // the header is one, the body does not parse; see Error()
    };

    // `source` names the file in messages.
    Result Parse(std::string_view bytes, const char* source);
    const std::string& Error() const { return error_; }

    // The top-level data objects in file order.
    const std::vector<XObject*>& TopLevel() const { return top_; }
    // "file:line:col" for text, "file: offset N" for binary.
    std::string Where(size_t offset) const;

private:
    struct Token;
    bool Next(Token& t);
    bool NextText(Token& t);
    bool NextBinary(Token& t);
    bool ParseObject(Token& t, XObject*& out, int depth);
    bool SkipTemplate();
    bool Fail(size_t offset, const std::string& what);
    void ResolveReferences();

    std::string_view data_;
    size_t pos_ = 0;
    bool binary_ = false;
    bool doubles_ = false;
    const char* source_ = "";
    std::string error_;
    std::deque<XObject> objects_;
    std::vector<XObject*> top_;
};

} // namespace xfile
