// The document object of the XML document service: loads text and is the root node
// for selections.
#include <string>

#include "comrt/boundary.h"
#include "comrt/codepage.h"
#include "xml_objects.h"

namespace comrt::detail {

HRESULT QueryDocument(IXMLDOMDocument* self, const GUID& iid, void** out);

namespace {

// Fragment mode keeps text outside the root element, which the full-document mode
// would silently drop, so the check below can reject it.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_fragment;

// pugixml accepts some texts that are not well formed XML (several top-level
// elements, text beside the root); the service must report those as not parsed.
bool HasOneRootAndNoStrayText(const pugi::xml_document& tree) {
    int elements = 0;
    for (const pugi::xml_node& child : tree.children()) {
        if (child.type() == pugi::node_element) ++elements;
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) return false;
    }
    return elements == 1;
}

}  // namespace

XmlDocument::XmlDocument() : tree_(std::make_shared<pugi::xml_document>()) {}

HRESULT XmlDocument::QueryInterface(const GUID& iid, void** out) { return QueryDocument(this, iid, out); }

HRESULT XmlDocument::get_text(BSTR* text) { return NodeText(Root(), text); }

HRESULT XmlDocument::selectSingleNode(const OLECHAR* xpath, IXMLDOMNode** node) {
    return SelectSingle(tree_, Root(), xpath, node);
}

HRESULT XmlDocument::selectNodes(const OLECHAR* xpath, IXMLDOMNodeList** list) {
    return SelectMany(tree_, Root(), xpath, list);
}

HRESULT XmlDocument::put_async(BOOL async) {
    async_ = async;  // loading is synchronous whatever the switch says
    return S_OK;
}

HRESULT XmlDocument::loadXML(const OLECHAR* text, BOOL* parsed) {
    if (parsed) *parsed = 0;
    return GuardBoundary([&] {
        // Whatever happens below, the previous tree is gone: a failed load leaves an
        // empty document, never the old one.
        tree_ = std::make_shared<pugi::xml_document>();
        parsed_ = 0;
        if (!text) return E_INVALIDARG;
        auto tree = std::make_shared<pugi::xml_document>();
        // The text is already decoded: its encoding declaration no longer applies.
        const std::string utf8 = WideToUtf8(text);
        const pugi::xml_parse_result result =
            tree->load_buffer(utf8.data(), utf8.size(), kParseOptions, pugi::encoding_utf8);
        if (!result || !HasOneRootAndNoStrayText(*tree)) return S_FALSE;
        tree_ = std::move(tree);
        parsed_ = 1;
        if (parsed) *parsed = 1;
        return S_OK;
    });
}

HRESULT XmlDocument::get_parsed(BOOL* parsed) {
    if (!parsed) return E_POINTER;
    *parsed = parsed_;
    return S_OK;
}

}  // namespace comrt::detail
