// The XML document service: creation without a registry, loading, and the selections
// the library makes when it reads its variable-definition document.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "comrt/codepage.h"
#include "comrt/com_ptr.h"
#include "comrt/create.h"
#include "comrt/memory.h"
#include "comrt/owners.h"
#include "comrt/testing/task_mem_check.h"
#include "comrt/xml.h"

namespace {

using comrt::ComPtr;

// The library's variable-definition document as it carries it (CRLF, four-space
// indent), with one enumeration added for the EnumValue selection.
const char16_t kDefinitions[] =
    u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    u"<VariableDefinitions>\r\n"
    u"    <Variable DisplayName=\"\" TaggedName=\"Phase_Values\" Type=\"NumericVector\">\r\n    </Variable>\r\n"
    u"    <Variable DisplayName=\"Ref.Temp.(C)\" TaggedName=\"RVPRefTempValue\" Type=\"Numeric\">\r\n    </Variable>\r\n"
    u"    <Variable DisplayName=\"Remove NC Gases (Mole%)\" TaggedName=\"RemoveNCmolPercent\" Type=\"Numeric\">\r\n    </Variable>\r\n"
    u"    <Variable DisplayName=\"Vapour/Liquid Volume Ratio\" TaggedName=\"VLRatioValue\" Type=\"Numeric\">\r\n    </Variable>\r\n"
    u"    <Variable TaggedName=\"Mode\" Type=\"Enum\">\r\n"
    u"        <EnumValue>First</EnumValue>\r\n"
    u"        <Other>not a value</Other>\r\n"
    u"        <EnumValue>  Second \u00B0 </EnumValue>\r\n"
    u"        <EnumValue>Third</EnumValue>\r\n"
    u"    </Variable>\r\n"
    u"</VariableDefinitions>\r\n";

ComPtr<IXMLDOMDocument> NewDocument() {
    ComPtr<IXMLDOMDocument> document;
    EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                               document.put_void()),
              S_OK);
    return document;
}

ComPtr<IXMLDOMDocument> LoadedDocument(const char16_t* text) {
    ComPtr<IXMLDOMDocument> document = NewDocument();
    if (!document) return document;
    EXPECT_EQ(document->put_async(0), S_OK);
    BOOL parsed = 0;
    EXPECT_EQ(document->loadXML(text, &parsed), S_OK);
    EXPECT_EQ(parsed, 1);
    return document;
}

std::u16string TextOf(IXMLDOMNode* node) {
    BSTR text = nullptr;
    EXPECT_EQ(node->get_text(&text), S_OK);
    comrt::UniqueBstr owner(text);
    return text ? std::u16string(text, SysStringLen(text)) : u"(null)";
}

std::u16string VariablePath(const std::u16string& taggedName) {
    return u"VariableDefinitions/Variable[@TaggedName=\"" + taggedName + u"\"]";
}

class XmlService : public testing::Test {
protected:
    // Every BSTR handed out by a test is freed by it.
    void TearDown() override { EXPECT_EQ(memory_.Leaked(), 0); }

private:
    comrt::testing::TaskMemCheck memory_;
};

TEST_F(XmlService, CreatedInProcessWithoutARegistry) {
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, unknown.put_void()),
              S_OK);
    ComPtr<IXMLDOMNode> asNode;
    EXPECT_EQ(unknown.As(IID_IXMLDOMNode, asNode), S_OK);
    ComPtr<IXMLDOMNodeList> notServed;
    EXPECT_EQ(unknown.As(IID_IXMLDOMNodeList, notServed), E_NOINTERFACE);
    EXPECT_FALSE(notServed);
}

TEST_F(XmlService, CreationFailuresLeaveNoObject) {
    const CLSID unknownClass = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    ComPtr<IXMLDOMDocument> outer = NewDocument();
    struct {
        const char* what;
        CLSID clsid;
        IUnknown* outer;
        uint32_t context;
        IID iid;
        HRESULT expected;
    } const cases[] = {
        {"unregistered class", unknownClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, REGDB_E_CLASSNOTREG},
        {"aggregation", CLSID_DOMDocument60, outer.get(), CLSCTX_INPROC_SERVER, IID_IUnknown, CLASS_E_NOAGGREGATION},
        {"not in process", CLSID_DOMDocument60, nullptr, 0x4, IID_IUnknown, REGDB_E_CLASSNOTREG},
        {"interface not served", CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IClassFactory,
         E_NOINTERFACE},
    };
    for (const auto& c : cases) {
        void* out = &out;
        EXPECT_EQ(CoCreateInstance(c.clsid, c.outer, c.context, c.iid, &out), c.expected) << c.what;
        EXPECT_EQ(out, nullptr) << c.what;
    }
    EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(XmlService, VariableAttributesSelectedRelativeToTheirVariable) {
    struct Expected {
        std::u16string tagged, display, type;
    };
    const Expected variables[] = {
        {u"Phase_Values", u"", u"NumericVector"},
        {u"RVPRefTempValue", u"Ref.Temp.(C)", u"Numeric"},
        {u"RemoveNCmolPercent", u"Remove NC Gases (Mole%)", u"Numeric"},
        {u"VLRatioValue", u"Vapour/Liquid Volume Ratio", u"Numeric"},
    };
    ComPtr<IXMLDOMDocument> document = LoadedDocument(kDefinitions);
    ASSERT_TRUE(document);
    for (const Expected& v : variables) {
        SCOPED_TRACE(comrt::WideToUtf8(v.tagged));
        ComPtr<IXMLDOMNode> variable;
        ASSERT_EQ(document->selectSingleNode(VariablePath(v.tagged).c_str(), variable.put()), S_OK);
        ASSERT_TRUE(variable);
        const std::pair<const char16_t*, std::u16string> attributes[] = {
            {u"@DisplayName", v.display}, {u"@TaggedName", v.tagged}, {u"@Type", v.type}};
        for (const auto& [xpath, expected] : attributes) {
            ComPtr<IXMLDOMNode> attribute;
            ASSERT_EQ(variable->selectSingleNode(xpath, attribute.put()), S_OK);
            ASSERT_TRUE(attribute);
            EXPECT_EQ(TextOf(attribute.get()), expected);
        }
    }
}

TEST_F(XmlService, NoMatchSelectsNoNode) {
    ComPtr<IXMLDOMDocument> document = LoadedDocument(kDefinitions);
    ASSERT_TRUE(document);
    ComPtr<IXMLDOMNode> mode;
    ASSERT_EQ(document->selectSingleNode(VariablePath(u"Mode").c_str(), mode.put()), S_OK);

    struct {
        const char* what;
        IXMLDOMNode* context;
        std::u16string xpath;
    } const cases[] = {
        {"tagged name without a variable", document.get(), VariablePath(u"NoSuchVariable")},
        {"tagged names compare with case", document.get(), VariablePath(u"rvpreftempvalue")},
        {"absent attribute", mode.get(), u"@DisplayName"},
        {"absolute path from a node still finds nothing", mode.get(), u"/NoRoot"},
    };
    for (const auto& c : cases) {
        IXMLDOMNode* node = reinterpret_cast<IXMLDOMNode*>(&mode);  // poisoned
        EXPECT_EQ(c.context->selectSingleNode(c.xpath.c_str(), &node), S_FALSE) << c.what;
        EXPECT_EQ(node, nullptr) << c.what;

        ComPtr<IXMLDOMNodeList> list;
        ASSERT_EQ(c.context->selectNodes(c.xpath.c_str(), list.put()), S_OK) << c.what;
        int32_t length = -1;
        EXPECT_EQ(list->get_length(&length), S_OK);
        EXPECT_EQ(length, 0) << c.what;
    }
}

TEST_F(XmlService, EnumValueChildrenInDocumentOrder) {
    ComPtr<IXMLDOMDocument> document = LoadedDocument(kDefinitions);
    ASSERT_TRUE(document);
    ComPtr<IXMLDOMNode> mode;
    ASSERT_EQ(document->selectSingleNode(VariablePath(u"Mode").c_str(), mode.put()), S_OK);
    ComPtr<IXMLDOMNodeList> values;
    ASSERT_EQ(mode->selectNodes(u"EnumValue", values.put()), S_OK);
    int32_t length = 0;
    ASSERT_EQ(values->get_length(&length), S_OK);
    ASSERT_EQ(length, 3);
    std::vector<std::u16string> texts;
    for (int32_t i = 0; i < length; ++i) {
        ComPtr<IXMLDOMNode> value;
        ASSERT_EQ(values->get_item(i, value.put()), S_OK);
        texts.push_back(TextOf(value.get()));
    }
    // Element text loses the white space at its ends; the degree sign survives UTF-16 -> UTF-8 -> UTF-16.
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"First", u"Second \u00B0", u"Third"}));

    for (int32_t outside : {-1, 3, INT32_MAX}) {
        IXMLDOMNode* node = mode.get();
        EXPECT_EQ(values->get_item(outside, &node), S_FALSE) << outside;
        EXPECT_EQ(node, nullptr);
    }
    EXPECT_EQ(values->get_item(0, nullptr), E_POINTER);
    EXPECT_EQ(values->get_length(nullptr), E_POINTER);
}

TEST_F(XmlService, ElementTextJoinsDescendantText) {
    ComPtr<IXMLDOMDocument> document = LoadedDocument(u"<a> one <b>two</b><![CDATA[ <three> ]]></a>");
    ASSERT_TRUE(document);
    EXPECT_EQ(TextOf(document.get()), u"one two <three>");
    ComPtr<IXMLDOMNode> b;
    ASSERT_EQ(document->selectSingleNode(u"//b", b.put()), S_OK);
    EXPECT_EQ(TextOf(b.get()), u"two");
    ComPtr<IXMLDOMNode> textNode;
    ASSERT_EQ(document->selectSingleNode(u"a/b/text()", textNode.put()), S_OK);
    EXPECT_EQ(TextOf(textNode.get()), u"two");
    EXPECT_EQ(b->get_text(nullptr), E_POINTER);
}

TEST_F(XmlService, TextOfADeeplyNestedDocumentNeedsNoDeepStack) {
    // 100 000 nested elements, text at every tenth level and at the bottom: the text is
    // gathered without recursion (a recursive walk overflows the stack here).
    constexpr int kDepth = 100000;
    std::u16string text;
    std::u16string expected;
    for (int level = 0; level < kDepth; ++level) {
        text += u"<e>";
        if (level % 10000 == 0) {
            text += u"x";
            expected += u"x";
        }
    }
    text += u"bottom";
    expected += u"bottom";
    for (int level = 0; level < kDepth; ++level) text += u"</e>";
    ComPtr<IXMLDOMDocument> document = LoadedDocument(text.c_str());
    ASSERT_TRUE(document);
    EXPECT_EQ(TextOf(document.get()), expected);
    ComPtr<IXMLDOMNode> outer;
    ASSERT_EQ(document->selectSingleNode(u"e/e", outer.put()), S_OK);
    EXPECT_EQ(TextOf(outer.get()), expected.substr(1));
}

TEST_F(XmlService, MalformedTextDoesNotParseAndEmptiesTheDocument) {
    const char16_t* const malformed[] = {
        u"",
        u"<VariableDefinitions>",
        u"<a></b>",
        u"<a/><b/>",
        u"just text",
        u"<a/>trailing",
        u"<a b=\"1></a>",
        u"<?xml version=\"1.0\"?>",
    };
    for (const char16_t* text : malformed) {
        SCOPED_TRACE(comrt::WideToUtf8(text));
        ComPtr<IXMLDOMDocument> document = LoadedDocument(kDefinitions);
        ASSERT_TRUE(document);
        BOOL parsed = 1;
        EXPECT_EQ(document->loadXML(text, &parsed), S_FALSE);
        EXPECT_EQ(parsed, 0);
        EXPECT_EQ(document->get_parsed(&parsed), S_OK);
        EXPECT_EQ(parsed, 0);
        ComPtr<IXMLDOMNode> node;
        EXPECT_EQ(document->selectSingleNode(VariablePath(u"RVPRefTempValue").c_str(), node.put()), S_FALSE)
            << "the earlier document is gone";
    }
    ComPtr<IXMLDOMDocument> document = NewDocument();
    BOOL parsed = 1;
    EXPECT_EQ(document->loadXML(nullptr, &parsed), E_INVALIDARG);
    EXPECT_EQ(parsed, 0);
    EXPECT_EQ(document->loadXML(kDefinitions, &parsed), S_OK) << "a document loads again after a failure";
    EXPECT_EQ(parsed, 1);
    EXPECT_EQ(document->get_parsed(nullptr), E_POINTER);
}

TEST_F(XmlService, XPathThatDoesNotCompileIsRejected) {
    ComPtr<IXMLDOMDocument> document = LoadedDocument(kDefinitions);
    ASSERT_TRUE(document);
    const char16_t* const invalid[] = {
        u"VariableDefinitions/Variable[@TaggedName=\"RVPRefTempValue\"",  // unclosed predicate
        u"VariableDefinitions/Variable[@TaggedName=\"Bad\"Quote\"]",      // a quote inside the name
        u"",
        u"@",
        u"Variable[",
        u"count(",
        u"1 + 1",  // compiles, but selects no nodes
    };
    for (const char16_t* xpath : invalid) {
        SCOPED_TRACE(comrt::WideToUtf8(xpath));
        IXMLDOMNode* node = reinterpret_cast<IXMLDOMNode*>(&document);
        EXPECT_EQ(document->selectSingleNode(xpath, &node), E_INVALIDARG);
        EXPECT_EQ(node, nullptr);
        IXMLDOMNodeList* list = reinterpret_cast<IXMLDOMNodeList*>(&document);
        EXPECT_EQ(document->selectNodes(xpath, &list), E_INVALIDARG);
        EXPECT_EQ(list, nullptr);
    }
    EXPECT_EQ(document->selectSingleNode(nullptr, nullptr), E_POINTER);
    IXMLDOMNode* node = nullptr;
    EXPECT_EQ(document->selectSingleNode(nullptr, &node), E_INVALIDARG);
}

TEST_F(XmlService, NodesAndListsOutliveTheirDocument) {
    ComPtr<IXMLDOMNode> attribute;
    ComPtr<IXMLDOMNodeList> values;
    {
        ComPtr<IXMLDOMDocument> document = LoadedDocument(kDefinitions);
        ASSERT_TRUE(document);
        ComPtr<IXMLDOMNode> variable;
        ASSERT_EQ(document->selectSingleNode(VariablePath(u"VLRatioValue").c_str(), variable.put()), S_OK);
        ASSERT_EQ(variable->selectSingleNode(u"@DisplayName", attribute.put()), S_OK);
        ASSERT_EQ(document->selectNodes(u"//EnumValue", values.put()), S_OK);
        // Loading other text must not pull the tree from under the nodes either.
        BOOL parsed = 0;
        EXPECT_EQ(document->loadXML(u"<other/>", &parsed), S_OK);
    }
    EXPECT_EQ(TextOf(attribute.get()), u"Vapour/Liquid Volume Ratio");
    ComPtr<IXMLDOMNode> last;
    ASSERT_EQ(values->get_item(2, last.put()), S_OK);
    EXPECT_EQ(TextOf(last.get()), u"Third");
}

TEST_F(XmlService, ReferenceCountsReachZeroExactly) {
    IXMLDOMDocument* document = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                               reinterpret_cast<void**>(&document)),
              S_OK);
    EXPECT_EQ(document->AddRef(), 2u);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(document->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown->Release(), 2u);
    EXPECT_EQ(document->Release(), 1u);
    BOOL parsed = 0;
    ASSERT_EQ(document->loadXML(kDefinitions, &parsed), S_OK);
    IXMLDOMNode* node = nullptr;
    ASSERT_EQ(document->selectSingleNode(u"VariableDefinitions", &node), S_OK);
    EXPECT_EQ(node->AddRef(), 2u) << "a selected node comes with exactly one reference";
    EXPECT_EQ(node->Release(), 1u);
    EXPECT_EQ(node->Release(), 0u);
    EXPECT_EQ(document->Release(), 0u);
}

}  // namespace
