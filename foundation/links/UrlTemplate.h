#pragma once
// A URL with groups in angle brackets that stands for every URL the groups
// describe: "http://host/page<1-3>.html" gives page1, page2 and page3;
// "<a|b|c>" gives each of the alternatives. A group's alternatives are
// separated by '|'; an alternative is either a range of two numbers from 0 to
// 2000000000 with a hyphen between them (counted up or down, both ends
// included) or literal text. Several groups give every combination, the
// first group varying fastest. Groups do not nest: a group ends at the first
// '>' after its '<'.
//
// A range bound written with a leading zero ("<01-10>", "<001-120>") pads
// every number to the width of the wider bound as written, so that such a
// template reaches files named "01", "02", ...; other ranges give numbers
// without leading zeros.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One piece of a template: yields its values one after another.
class CUrlTemplatePart
{
public:
    virtual ~CUrlTemplatePart() = default;

    // Back to the first value.
    virtual void Reset() = 0;
    // The current value; false (text emptied) when the part is exhausted.
    virtual bool Get(std::string& text) = 0;
    // Moves to the following value; false when there is none.
    virtual bool Next() = 0;
    // How many values the part yields from its reset state.
    virtual int64_t GetCount() const = 0;
};

// Text that stands as it is: exactly one value.
class CUrlLiteralPart : public CUrlTemplatePart
{
public:
    explicit CUrlLiteralPart(std::string_view text);

    void Reset() override;
    bool Get(std::string& text) override;
    bool Next() override;
    int64_t GetCount() const override { return 1; }

private:
    std::string m_text;
    int m_position = 0;
};

// Every number from `from` to `to` in order, counting down when from > to.
// Bounds lie in 0 to 2000000000, so stepping past either never overflows.
class CUrlRangePart : public CUrlTemplatePart
{
public:
    // width > 0 pads each number with leading zeros to that many digits.
    CUrlRangePart(int32_t from, int32_t to, int width = 0);

    void Reset() override;
    bool Get(std::string& text) override;
    bool Next() override;
    int64_t GetCount() const override;

private:
    int32_t m_from;
    int32_t m_to;
    int32_t m_current;
    int m_width;
};

// The values of its alternatives one after another.
class CUrlChoicePart : public CUrlTemplatePart
{
public:
    void Add(std::unique_ptr<CUrlTemplatePart> alternative);

    void Reset() override;
    bool Get(std::string& text) override;
    bool Next() override;
    int64_t GetCount() const override;

private:
    std::vector<std::unique_ptr<CUrlTemplatePart>> m_alternatives;
    size_t m_index = 0;
};

class CUrlTemplate
{
public:
    // The most URLs one template may stand for; a group that would take the
    // number of combinations beyond it fails like a malformed group, so a
    // template such as "<0-2000000000>" cannot flood the caller.
    static constexpr int64_t kMaxCombinations = 1000000;
    static constexpr int32_t kMaxRangeBound = 2000000000;

    CUrlTemplate() = default;
    CUrlTemplate(const CUrlTemplate&) = delete;
    CUrlTemplate& operator=(const CUrlTemplate&) = delete;

    // Replaces the parts by those of text. 1 when text held at least one
    // group, -1 when it held none, 0 when a group was malformed (a range
    // bound outside 0 to 2000000000, too many combinations) or a '<' had no
    // closing '>'. After 0 the parts before the bad group stay and the rest
    // of the text from its '<' on is one literal, so the template still gives
    // one URL.
    int Parse(std::string_view text);

    // The next URL into url; false (url emptied) when every combination was
    // given, or when there are no parts.
    bool GetNext(std::string& url);

    // Deletes every part.
    void Clear();

private:
    std::vector<std::unique_ptr<CUrlTemplatePart>> m_parts;
};
