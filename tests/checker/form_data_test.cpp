// The form model: how FORM snippets become laid-out elements, and which
// submit string a scripted fill and press composes.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "checker/FormControl.h"
#include "checker/FormData.h"
#include "checker/LinkInfo.h"

namespace
{

struct Row
{
    int type;
    std::string typeName;
    std::string name;
    std::string value;
    CFormRect rect;
};

// The rows of the elements the form itself made (before the page
// controls), without the read-only tag lines; a tag line still moves the
// rectangles of what follows it.
std::vector<Row> FormRows(const CFormData& form)
{
    std::vector<Row> rows;
    const int pageStart = form.GetUrlIndex() - 1;
    for (int i = 0; i < pageStart; ++i)
    {
        const CFormItem& item = *form.GetItem(i);
        const bool tagLine = item.m_type == CFormItem::kReadOnlyEdit && item.m_typeName.empty();
        if (!tagLine)
            rows.push_back({item.m_type, item.m_typeName, item.m_name, item.m_value, item.m_rect});
    }
    return rows;
}

std::string Describe(const std::vector<Row>& rows)
{
    std::string text;
    for (const Row& row : rows)
    {
        text += std::to_string(row.type) + " " + row.typeName + " '" + row.name + "'='" + row.value + "' (" +
                std::to_string(row.rect.left) + "," + std::to_string(row.rect.top) + "," +
                std::to_string(row.rect.right) + "," + std::to_string(row.rect.bottom) + ")\n";
    }
    return text;
}

CFormData Build(const std::string& html)
{
    CFormData form;
    EXPECT_TRUE(form.SetActionAndMethod(html, "http://example.test/cgi"));
    return form;
}

CFormItem* FindNamed(CFormData& form, const std::string& name, int type)
{
    for (int i = 0; i < form.GetItemCount(); ++i)
    {
        CFormItem* item = form.GetItem(i);
        if (item->m_name == name && item->m_type == type)
            return item;
    }
    return nullptr;
}

// A control that remembers what the model wrote and counts its destruction.
class CRecordingControl : public IFormControl
{
public:
    CRecordingControl(std::string& text, int& destroyed) : m_text(text), m_destroyed(destroyed) {}
    ~CRecordingControl() override { ++m_destroyed; }
    void SetText(std::string_view text) override { m_text = text; }

private:
    std::string& m_text;
    int& m_destroyed;
};

} // namespace

// Every element starts at x 10; the cursor starts at 7, a tag line sits 10
// below it and is 24 high, the element follows 1 below its tag line.
TEST(FormData, SnippetsBecomeLaidOutElements)
{
    const struct
    {
        const char* label;
        std::string html;
        std::vector<Row> rows;
    } cases[] = {
        {"text input: SIZE x 10 wide",
         "<form><input name=q value=\"a b\" size=20></form>",
         {{2, "TEXT", "q", "a b", {10, 76, 210, 100}}}},
        {"missing TYPE is TEXT, bad SIZE is 240 wide",
         "<form><input name=q size=-3><input type=password name=pw value=s size=x></form>",
         {{2, "TEXT", "q", "", {10, 76, 250, 100}}, {9, "PASSWORD", "pw", "s", {10, 135, 250, 159}}}},
        {"a hostile SIZE is held to a sane width",
         "<form><input name=q size=99999999999></form>",
         {{2, "TEXT", "q", "", {10, 76, 10010, 100}}}},
        {"hidden: one read-only line, no tag line",
         "<form><input type=hidden name=h value=\"x&amp;y\"></form>",
         {{3, "HIDDEN", "h", "x&y", {10, 51, 610, 75}}}},
        {"file: a field and a Browse button of the same name",
         "<form><input type=file name=f value=ignored></form>",
         {{2, "FILE", "f", "", {10, 76, 250, 100}}, {10, "FILE", "f", "Browse...", {10, 101, 170, 125}}}},
        {"buttons: captions default by type",
         "<form><input type=submit><input type=reset name=r size=5><input type=button value=Go></form>",
         {{10, "SUBMIT", "", "Submit Query", {10, 76, 170, 100}},
          {10, "RESET", "r", "Reset", {10, 135, 60, 159}},
          {10, "BUTTON", "", "Go", {10, 194, 170, 218}}}},
        {"image button is 32 x 32",
         "<form><input type=IMAGE name=map value=v></form>",
         {{13, "IMAGE", "map", "v", {10, 76, 42, 108}}}},
        {"unknown type: a read-only line after its tag line",
         "<form><input type=color name=c value=red></form>",
         {{3, "COLOR", "c", "red", {10, 85, 610, 109}}}},
        {"check box and radio buttons: no tag line, 10 below the cursor",
         "<form><input type=checkbox name=c value=1 checked> Check"
         "<input type=radio name=r value=a><input type=radio name=R value=b></form>",
         {{11, "CHECKBOX", "c", "1", {10, 51, 610, 75}},
          {12, "RADIO", "r", "a", {10, 85, 610, 109}},
          {12, "RADIO", "R", "b", {10, 119, 610, 143}}}},
        {"SELECT without SIZE is a drop-down",
         "<form><select name=s><option>a<option>b</select></form>",
         {{6, "SELECT", "s", "", {10, 76, 210, 100}}}},
        {"SIZE 3 MULTIPLE is a 72-pixel list box",
         "<form><select name=m size=3 multiple><option>a</select></form>",
         {{5, "SELECT", "m", "", {10, 76, 210, 148}}}},
        {"TEXTAREA: COLS x 10 by ROWS x 24, text decoded; defaults 240 by 48",
         "<form><textarea name=t cols=30 rows=3>a &amp; b</textarea><textarea name=u></textarea></form>",
         {{7, "TEXTAREA", "t", "a & b", {10, 76, 310, 148}}, {7, "TEXTAREA", "u", "", {10, 183, 250, 231}}}},
        {"other tags add nothing",
         "<form><p>Name <b>here</b><br><input name=n></p><table><tr><td>x</td></tr></table></form>",
         {{2, "TEXT", "n", "", {10, 76, 250, 100}}}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.label);
        const CFormData form = Build(c.html);
        EXPECT_EQ(Describe(FormRows(form)), Describe(c.rows));
    }
}

TEST(FormData, TagLinesMethodAndPageControls)
{
    CFormData form = Build("<FORM Method=\"Post\" action=x><input name=q></FORM>");
    EXPECT_TRUE(form.IsPost());
    ASSERT_EQ(form.GetItemCount(), 3 + 7);

    const CFormItem& formLine = *form.GetItem(0);
    EXPECT_EQ(formLine.m_type, CFormItem::kReadOnlyEdit);
    EXPECT_EQ(formLine.m_caption, "<FORM Method=\"Post\" action=x>");
    EXPECT_EQ(formLine.m_rect, (CFormRect{10, 17, 610, 41}));
    EXPECT_EQ(form.GetItem(1)->m_caption, "<input name=q>");

    // The page controls follow the form's last element (bottom 100).
    EXPECT_EQ(form.GetUrlIndex(), 4);
    EXPECT_EQ(form.GetResultIndex(), 6);
    const struct
    {
        int type;
        const char* typeName;
        const char* caption;
        CFormRect rect;
    } page[] = {
        {0, "", "URL:", {10, 130, 610, 154}},
        {2, "_URL_", "http://example.test/cgi", {10, 158, 610, 182}},
        {0, "", "Resulting FORM string for sending to server:", {10, 192, 610, 216}},
        {7, "_RESULT_", "?q=", {10, 220, 610, 340}},
        {10, "_UPDATE_", "Update", {10, 350, 170, 374}},
        {10, "_RESET_", "Reset", {180, 350, 340, 374}},
        {10, "_SUBMIT_", "Submit to server", {350, 350, 510, 374}},
    };
    for (int i = 0; i < 7; ++i)
    {
        SCOPED_TRACE(page[i].caption);
        const CFormItem& item = *form.GetItem(3 + i);
        EXPECT_EQ(item.m_type, page[i].type);
        EXPECT_EQ(item.m_typeName, page[i].typeName);
        EXPECT_EQ(item.m_caption, page[i].caption);
        EXPECT_EQ(item.m_rect, page[i].rect);
        EXPECT_TRUE(item.m_name.empty());
        EXPECT_EQ(item.m_index, 3 + i);
    }
    EXPECT_EQ(form.GetNextTop(), 374);
    EXPECT_EQ(form.GetWidestWidth(), 600);

    EXPECT_FALSE(Build("<form method=get><input name=q></form>").IsPost());
    EXPECT_FALSE(Build("<form><input name=q></form>").IsPost());
}

TEST(FormData, OptionsRadioGroupsAndStyles)
{
    CFormData form = Build("<form>"
                           "<select name=one><option>a<option selected>b</option><option SELECTED>c</select>"
                           "<select name=many size=3 multiple><option value=1 selected>One"
                           "<optgroup label=g><option value=2 selected=selected>Two</optgroup></select>"
                           "<select name=plain size=2><option>x<option>y</select>"
                           "<select name=down size=1 multiple><option>p<option>q</select>"
                           "<input type=radio name=r value=a checked><input type=radio name=R value=b>"
                           "<input type=radio name=s value=c><input type=checkbox name=k checked=checked>"
                           "</form>");
    struct Option
    {
        std::string text;
        std::string value;
        bool selected;
        bool defaultSelected;
    };
    const struct
    {
        const char* name;
        int type;
        bool multiple;
        uint32_t style;
        std::vector<Option> options;
    } lists[] = {
        {"one", 6, false, 0x50A10003, {{"a", "a", false, false}, {"b", "b", true, true}, {"c", "c", false, false}}},
        {"many", 5, true, 0x50A30900, {{"One", "1", true, true}, {"Two", "2", true, true}}},
        {"plain", 5, false, 0x50A30100, {{"x", "x", true, false}, {"y", "y", false, false}}},
        {"down", 6, false, 0x50A10003, {{"p", "p", true, false}, {"q", "q", false, false}}},
    };
    for (const auto& list : lists)
    {
        SCOPED_TRACE(list.name);
        const CFormItem* item = FindNamed(form, list.name, list.type);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->m_multiple, list.multiple);
        EXPECT_EQ(item->GetStyle(), list.style);
        ASSERT_EQ(item->m_options.size(), list.options.size());
        for (size_t i = 0; i < list.options.size(); ++i)
        {
            EXPECT_EQ(item->m_options[i].m_text, list.options[i].text);
            EXPECT_EQ(item->m_options[i].m_value, list.options[i].value);
            EXPECT_EQ(item->m_options[i].m_selected, list.options[i].selected);
            EXPECT_EQ(item->m_options[i].m_defaultSelected, list.options[i].defaultSelected);
        }
    }

    const CFormItem* first = FindNamed(form, "r", CFormItem::kRadio);
    const CFormItem* sameGroup = FindNamed(form, "R", CFormItem::kRadio);
    const CFormItem* otherGroup = FindNamed(form, "s", CFormItem::kRadio);
    ASSERT_TRUE(first && sameGroup && otherGroup);
    EXPECT_TRUE(first->m_checked);
    EXPECT_FALSE(sameGroup->m_checked);
    EXPECT_EQ(first->GetStyle(), 0x50030009u);
    EXPECT_EQ(sameGroup->GetStyle(), 0x50010009u);
    EXPECT_EQ(otherGroup->GetStyle(), 0x50030009u);
    EXPECT_TRUE(FindNamed(form, "k", CFormItem::kCheckBox)->m_checked);

    const struct
    {
        int type;
        uint32_t style;
    } styles[] = {{0, 0x50000000}, {2, 0x50830080}, {3, 0x50020880}, {7, 0x50A31044},
                  {8, 0x50231844}, {9, 0x508300A0}, {10, 0x50030000}, {11, 0x50030003},
                  {13, 0x50030040}};
    for (const auto& s : styles)
    {
        CFormItem item;
        item.m_type = s.type;
        EXPECT_EQ(item.GetStyle(), s.style) << "type " << s.type;
    }
}

// A scripted fill: each step finds an element by name (and, for a radio
// button or check box, by value) and changes it as the form window would.
struct Step
{
    enum Kind
    {
        kFill,
        kCheck,
        kUncheck,
        kSelect,
        kDeselect,
        kReset,
    };
    Kind kind;
    std::string name;
    std::string argument; // the text, the button's value or the option's text
};

void RunStep(CFormData& form, const Step& step)
{
    if (step.kind == Step::kReset)
    {
        form.ResetAll();
        return;
    }
    for (int i = 0; i < form.GetItemCount(); ++i)
    {
        CFormItem& item = *form.GetItem(i);
        if (item.m_name != step.name)
            continue;
        switch (step.kind)
        {
        case Step::kFill:
            form.SetValue(i, step.argument);
            return;
        case Step::kCheck:
        case Step::kUncheck:
            if (item.m_value == step.argument)
            {
                item.m_checked = step.kind == Step::kCheck;
                return;
            }
            break;
        case Step::kSelect:
        case Step::kDeselect:
            for (CFormOption& option : item.m_options)
            {
                if (option.m_text == step.argument)
                {
                    option.m_selected = step.kind == Step::kSelect;
                    return;
                }
            }
            break;
        default:
            break;
        }
    }
    ADD_FAILURE() << "no element for step on " << step.name;
}

TEST(FormData, ScriptedFillAndPressComposeTheSubmitString)
{
    const struct
    {
        const char* label;
        std::string html;
        std::vector<Step> steps;
        const char* pressed;
        const char* expected;
    } cases[] = {
        {"the plain query", "<form><input name=q><input name=lang value=en></form>",
         {{Step::kFill, "q", "a b"}}, "", "?q=a+b&lang=en"},
        {"percent, ampersand and blanks", "<form><input name=v></form>",
         {{Step::kFill, "v", "50% & more"}}, "", "?v=50%25+%26+more"},
        {"plus, hash, equals and e-acute are escaped", "<form><input name=x></form>",
         {{Step::kFill, "x", "y+z #1=\xC3\xA9"}}, "", "?x=y%2Bz+%231%3D%C3%A9"},
        {"control bytes are escaped", "<form><textarea name=t></textarea></form>",
         {{Step::kFill, "t", "a\r\nb\tc"}}, "", "?t=a%0D%0Ab%09c"},
        {"nothing filled in and nothing named gives an empty string", "<form><input><input type=checkbox checked></form>",
         {}, "", ""},
        {"unchecked box and lists without a selection add nothing",
         "<form><input type=checkbox name=c value=1><select name=s size=2 multiple><option>a</select>"
         "<select name=e></select><input name=t></form>",
         {}, "", "?t="},
        {"radio group: the one checked last", "<form><input type=radio name=r value=a checked>"
                                              "<input type=radio name=r value=b><input type=radio name=r value=c></form>",
         {{Step::kUncheck, "r", "a"}, {Step::kCheck, "r", "c"}}, "", "?r=c"},
        {"MULTIPLE select sends every selected option's value",
         "<form><select name=m size=4 multiple><option value=1 selected>One<option>Two&amp;<option>Three</select></form>",
         {{Step::kSelect, "m", "Two&"}, {Step::kSelect, "m", "Three"}, {Step::kDeselect, "m", "One"}}, "",
         "?m=Two%26&m=Three"},
        {"drop-down sends its first selected option",
         "<form><select name=d><option>a<option selected>b<option selected>c</select></form>",
         {{Step::kSelect, "d", "c"}}, "", "?d=b"},
        {"drop-down without SELECTED sends its first option",
         "<form><select name=d><option>a b<option>c</select></form>", {}, "", "?d=a+b"},
        {"only the pressed button, by exact name",
         "<form><input name=q value=1><input type=submit name=go value=Go><input type=submit name=Stop>"
         "<input type=image name=map value=m></form>",
         {}, "Stop", "?q=1&Stop=Submit+Query"},
        {"image button when pressed", "<form><input type=image name=map value=m></form>", {}, "map", "?map=m"},
        {"FILE never contributes", "<form><input type=file name=f><input type=hidden name=h value=1></form>",
         {{Step::kFill, "f", "/etc/passwd"}}, "f", "?h=1"},
        {"reset restores texts and selections, not check states",
         "<form><input name=q value=start><input type=checkbox name=c value=on>"
         "<select name=s size=3 multiple><option selected>a<option>b</select><select name=d><option>x<option>y</select></form>",
         {{Step::kFill, "q", "changed"}, {Step::kCheck, "c", "on"}, {Step::kSelect, "s", "b"},
          {Step::kDeselect, "s", "a"}, {Step::kSelect, "d", "y"}, {Step::kDeselect, "d", "x"}, {Step::kReset, "", ""}},
         "", "?q=start&c=on&s=a&d=x"},
        {"names are escaped like values", "<form><input name=\"a b&amp;c\" value=1></form>", {}, "", "?a+b%26c=1"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.label);
        CFormData form = Build(c.html);
        for (const Step& step : c.steps)
            RunStep(form, step);
        form.ComposeSubmitData(c.pressed);
        EXPECT_EQ(form.GetSubmitString(), c.expected);
        form.SetSelectedValue();
        EXPECT_EQ(form.GetItem(form.GetResultIndex())->m_value, c.expected);
    }
}

TEST(FormData, TheLastPressedButtonStaysUntilAnotherIsPressed)
{
    CFormData form = Build("<form><input type=submit name=a value=A><input type=submit name=b value=B></form>");
    EXPECT_EQ(form.GetSubmitString(), "");
    form.ComposeSubmitData("b");
    EXPECT_EQ(form.GetSubmitString(), "?b=B");
    form.ComposeSubmitData("");
    EXPECT_EQ(form.GetSubmitString(), "?b=B");
    form.ComposeSubmitData("a");
    EXPECT_EQ(form.GetSubmitString(), "?a=A");

    // The parsed string is composed before the page controls exist, so the
    // result box shows it from the start.
    const CFormData parsed = Build("<form><input name=q value=1></form>");
    EXPECT_EQ(parsed.GetSubmitString(), "?q=1");
    EXPECT_EQ(parsed.GetItem(parsed.GetResultIndex())->m_value, "?q=1");
}

TEST(FormData, CopiesTakeNewIdsAndNoControls)
{
    CFormData form = Build("<form method=post><input type=submit name=go><input name=q value=1></form>");
    form.ComposeSubmitData("go");
    form.m_scrollY = 40;

    std::string written;
    int destroyed = 0;
    CFormItem* field = FindNamed(form, "q", CFormItem::kEdit);
    ASSERT_NE(field, nullptr);
    field->SetControl(std::make_unique<CRecordingControl>(written, destroyed));
    EXPECT_EQ(form.FindItemByControl(field->GetControl()), field);
    EXPECT_EQ(form.FindItemById(field->m_controlId), field);

    form.SetValue(field->m_index, "two");
    EXPECT_EQ(field->m_value, "two");
    EXPECT_EQ(written, "two");
    form.SetValue(-1, "ignored");
    form.SetValue(form.GetItemCount(), "ignored");

    CFormData copy;
    copy = form;
    ASSERT_EQ(copy.GetItemCount(), form.GetItemCount());
    EXPECT_TRUE(copy.IsPost());
    EXPECT_EQ(copy.GetSubmitString(), "?go=Submit+Query&q=1");
    EXPECT_EQ(copy.GetSource(), form.GetSource());
    EXPECT_EQ(copy.GetAction(), "http://example.test/cgi");
    EXPECT_EQ(copy.GetLastPressed(), "");
    EXPECT_EQ(copy.GetResultIndex(), form.GetResultIndex());
    EXPECT_EQ(copy.GetUrlIndex(), form.GetUrlIndex());
    EXPECT_EQ(copy.GetNextTop(), form.GetNextTop());
    EXPECT_EQ(copy.m_scrollY, 40);
    for (int i = 0; i < copy.GetItemCount(); ++i)
    {
        const CFormItem& mine = *copy.GetItem(i);
        const CFormItem& theirs = *form.GetItem(i);
        EXPECT_EQ(mine.m_index, i);
        EXPECT_EQ(mine.m_value, theirs.m_value);
        EXPECT_EQ(mine.m_rect, theirs.m_rect);
        EXPECT_EQ(mine.GetControl(), nullptr);
        EXPECT_GT(mine.m_controlId, theirs.m_controlId);
        EXPECT_EQ(copy.FindItemById(theirs.m_controlId), nullptr);
    }
    // Without the remembered button the copy composes only the field.
    copy.ComposeSubmitData("");
    EXPECT_EQ(copy.GetSubmitString(), "?q=two");

    // Copying over a form and clearing it destroy its controls.
    EXPECT_EQ(destroyed, 0);
    form = copy;
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(form.GetUrlIndex(), copy.GetUrlIndex());
    form.Clear();
    EXPECT_EQ(form.GetItemCount(), 0);
    EXPECT_EQ(form.GetResultIndex(), -1);
    EXPECT_EQ(form.GetUrlIndex(), -1);
    EXPECT_EQ(form.GetNextTop(), 0);
    EXPECT_EQ(form.m_scrollY, 0);
    form.SetSelectedValue();
}

TEST(FormData, LayoutOfAVeryLongPageStopsAtTheLargestCoordinate)
{
    CFormData form;
    const int max = std::numeric_limits<int>::max();
    form.AddItem(CFormItem::kMultiLineEdit, "TEXTAREA", "a", 0, 1, 240, max - 100, "");
    const CFormItem& last = form.AddItem(CFormItem::kMultiLineEdit, "TEXTAREA", "b", 0, 1, 240, 24000, "");
    EXPECT_EQ(last.m_rect, (CFormRect{10, max - 98, 250, max}));
    EXPECT_EQ(form.GetNextTop(), max);
    EXPECT_EQ(form.AddItem(CFormItem::kLabel, "", "", 0, 30, 600, 24, "").m_rect.top, max);
}

// A link record owns its form: a copied record has a form of its own, so
// filling one never changes the other.
TEST(OwnedForm, CopiesAreDeepAndIndependent)
{
    CLinkInfo original;
    auto form = std::make_unique<CFormData>();
    form->SetActionAndMethod("<form action=\"/s\"><input name=\"q\" value=\"a\"></form>", "http://h/s");
    original.m_form.Adopt(std::move(form));
    ASSERT_TRUE(original.m_form);

    CLinkInfo copy = original;
    ASSERT_TRUE(copy.m_form);
    EXPECT_NE(copy.m_form.Get(), original.m_form.Get());
    EXPECT_EQ(copy.m_form.Get()->GetAction(), "http://h/s");
    copy.m_form.Reset();
    EXPECT_FALSE(copy.m_form);
    ASSERT_TRUE(original.m_form);
    EXPECT_EQ(original.m_form.Get()->GetAction(), "http://h/s");

    CLinkInfo assigned;
    assigned = original;
    EXPECT_NE(assigned.m_form.Get(), original.m_form.Get());
}
