// The page calls that take JSON, answered by the model of a connected project: what the project keeps of the texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DG/JSArray.hpp"
#include "DG/JSValue.hpp"
#include "Tessary/Implementation/PageCalls.hpp"
#include "support/AddOn.hpp"
#include "support/LogCapture.hpp"

using namespace TestSupport;

namespace {

// A browser's JSON.stringify escapes a surrogate without its partner, the embedded engine writes it raw: a clause
// title sent either way is stored alike, and a text broken otherwise is still refused whole.
TEST(PageCallsIntoTheModel, ALoneSurrogateInATitleIsStoredAsU_FFFDWhetherEscapedOrRaw) {
    AddOnProject s;
    const ConnectionPtr connection = s.ConnectSpec(1);
    const API_Guid element = s.sim.AddElement(API_WallID);
    connection->Cmd_AssociateElementsToVirtualType("clause-A10", Clause("clause-A10", "A10"), {element}, false);
    const API_Guid titleProperty = connection->PropertyGroup().GetPropertyGuid("OrvoTessaryTitle");
    // updateProperties with the members of clause-A10 as JSON text; afterwards the element's stored title.
    const auto update = [&](const PK::UniString& members) {
        auto arguments = PK::NewRef<DG::JSArray>();
        for (const PK::UniString& text :
             {s.addOn->manager->PlanId(), PK::UniString(), "{\"clause-A10\": {" + members + "}}"})
            arguments->AddItem(DG::JSRef(PK::NewRef<DG::JSValue>(text)));
        Implementation::PageCalls::UpdateProperties(*s.addOn->page, DG::JSRef(arguments));
        Deliver();
        return s.sim.GetPropertyText(element, titleProperty);
    };
    // The title's JSON text between the quotes.
    const auto updateTitle = [&](const PK::UniString& title) {
        return update("\"OrvoTessaryTitle\": \"" + title + "\"");
    };

    struct Stored {
        std::u16string escaped, raw, stored;
    };
    // clang-format off
    const std::vector<Stored> stored = {
        {u"\\ud800",              u"\xD800",              u"\uFFFD"},
        {u"\\udc00x",             u"\xDC00x",             u"\uFFFDx"},
        {u"\\ud800\\u0041",       u"\xD800" u"A",         u"\uFFFDA"},
        {u"\\udbff\\udfff",       u"\xDBFF\xDFFF",        u"\U0010FFFF"},
        {u"\\ud800x",             u"\xD800x",             u"\uFFFDx"},
        {u"\\ud800\\n",           u"\xD800\\n",           u"\uFFFD\n"},
        {u"\\ud800\\ud800\\udc00", u"\xD800\xD800\xDC00", u"\uFFFD\U00010000"},
        {u"\\uDC00\\uD800",       u"\xDC00\xD800",        u"\uFFFD\uFFFD"},
        {u"end \\ud800",          u"end \xD800",          u"end \uFFFD"},
        // An escaped backslash before the letters is no escape of a unit; one after the pair is.
        {u"\\\\ud800",            u"\\\\ud800",           u"\\ud800"},
        {u"\\\\\\ud800",          u"\\\\\xD800",          u"\\\uFFFD"},
    };
    // clang-format on
    for (const Stored& row : stored)
        for (const std::u16string& title : {row.escaped, row.raw}) {
            SCOPED_TRACE(Text(title) + (title == row.raw ? " raw" : " escaped"));
            updateTitle("Before");
            EXPECT_EQ(updateTitle(title), PK::UniString(row.stored));
        }

    const std::vector<std::pair<const char*, const char*>> refused = {
        {"\\ud800\\u12", "kParseErrorStringUnicodeEscapeInvalidHex"},
        {"\\ud800\\x", "kParseErrorStringEscapeInvalid"},
        {"\\ud800\\", "kParseErrorStringMissQuotationMark"},
        {"\\uD80", "kParseErrorStringUnicodeEscapeInvalidHex"},
    };
    for (const auto& [title, code] : refused) {
        SCOPED_TRACE(title);
        updateTitle("Before");
        LogCapture log;
        EXPECT_EQ(updateTitle(title), "Before");
        EXPECT_TRUE(log.Has(spdlog::level::err, std::string("exception: ") + code));
    }

    // A name is read alike as well, also where it reaches only a log line.
    for (const char16_t* name : {u"\\udc00", u"\xDC00"}) {
        LogCapture log;
        update("\"" + PK::UniString(name) + "\": 1");
        EXPECT_TRUE(log.Has(spdlog::level::err, "Not a string: property: \uFFFD")) << Text(name);
    }
}

}  // namespace
