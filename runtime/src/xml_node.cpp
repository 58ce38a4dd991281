// Nodes and node lists of the XML document service, and the XPath selections that
// documents and nodes share.
#include <string>
#include <string_view>

#include "comrt/boundary.h"
#include "comrt/codepage.h"
#include "comrt/com_ptr.h"
#include "comrt/memory.h"
#include "xml_objects.h"

namespace comrt::detail {
namespace {

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Text of every descendant in document order, by walking the tree with sibling and
// parent links: no recursion, so a deeply nested document cannot exhaust the stack.
void AppendDescendantText(const pugi::xml_node& root, std::string& text) {
    pugi::xml_node node = root.first_child();
    while (node) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            text += node.value();
        } else if (node.type() == pugi::node_element && node.first_child()) {
            node = node.first_child();
            continue;
        }
        // Next in document order: the next sibling, else that of the nearest ancestor
        // below the root that has one.
        while (node != root && !node.next_sibling()) node = node.parent();
        if (node == root) break;
        node = node.next_sibling();
    }
}

// An attribute's value, or an element's (or the document's) text content with the
// white space at both ends dropped, as the platform's service gives it by default.
std::string TextOf(const pugi::xpath_node& node) {
    if (node.attribute()) return node.attribute().value();
    const pugi::xml_node n = node.node();
    if (n.type() != pugi::node_element && n.type() != pugi::node_document) return n.value();
    std::string text;
    AppendDescendantText(n, text);
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsXmlSpace(text[first])) ++first;
    while (last > first && IsXmlSpace(text[last - 1])) --last;
    return text.substr(first, last - first);
}

// Compiles xpath; false when it does not compile or does not select nodes.
bool Compile(const OLECHAR* xpath, std::unique_ptr<pugi::xpath_query>& query) {
    const std::string utf8 = WideToUtf8(xpath);
    try {
        query = std::make_unique<pugi::xpath_query>(utf8.c_str());
    } catch (const pugi::xpath_exception&) {
        return false;
    }
    return static_cast<bool>(*query) && query->return_type() == pugi::xpath_type_node_set;
}

template <class T>
HRESULT QueryFor(T* self, const GUID& iid, void** out, std::initializer_list<IID> served) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const IID& candidate : served) {
        if (iid == candidate) {
            self->AddRef();
            *out = self;
            return S_OK;
        }
    }
    return E_NOINTERFACE;
}

}  // namespace

HRESULT NodeText(const pugi::xpath_node& node, BSTR* text) {
    if (!text) return E_POINTER;
    *text = nullptr;
    return GuardBoundary([&] {
        const std::u16string wide = Utf8ToWide(TextOf(node));
        *text = SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size()));
        return *text ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT SelectSingle(const XmlTree& tree, const pugi::xpath_node& context, const OLECHAR* xpath,
                     IXMLDOMNode** node) {
    if (!node) return E_POINTER;
    *node = nullptr;
    if (!xpath) return E_INVALIDARG;
    return GuardBoundary([&] {
        std::unique_ptr<pugi::xpath_query> query;
        if (!Compile(xpath, query)) return E_INVALIDARG;
        const pugi::xpath_node found = query->evaluate_node(context);
        if (!found) return S_FALSE;
        *node = new XmlNode(tree, found);
        return S_OK;
    });
}

HRESULT SelectMany(const XmlTree& tree, const pugi::xpath_node& context, const OLECHAR* xpath,
                   IXMLDOMNodeList** list) {
    if (!list) return E_POINTER;
    *list = nullptr;
    if (!xpath) return E_INVALIDARG;
    return GuardBoundary([&] {
        std::unique_ptr<pugi::xpath_query> query;
        if (!Compile(xpath, query)) return E_INVALIDARG;
        pugi::xpath_node_set found = query->evaluate_node_set(context);
        found.sort();  // document order
        *list = new XmlNodeList(tree, std::vector<pugi::xpath_node>(found.begin(), found.end()));
        return S_OK;
    });
}

HRESULT XmlNode::QueryInterface(const GUID& iid, void** out) {
    return QueryFor(this, iid, out, {IID_IUnknown, IID_IXMLDOMNode});
}

HRESULT XmlNode::get_text(BSTR* text) { return NodeText(node_, text); }

HRESULT XmlNode::selectSingleNode(const OLECHAR* xpath, IXMLDOMNode** node) {
    return SelectSingle(tree_, node_, xpath, node);
}

HRESULT XmlNode::selectNodes(const OLECHAR* xpath, IXMLDOMNodeList** list) {
    return SelectMany(tree_, node_, xpath, list);
}

HRESULT XmlNodeList::QueryInterface(const GUID& iid, void** out) {
    return QueryFor(this, iid, out, {IID_IUnknown, IID_IXMLDOMNodeList});
}

HRESULT XmlNodeList::get_length(int32_t* length) {
    if (!length) return E_POINTER;
    *length = static_cast<int32_t>(nodes_.size());
    return S_OK;
}

HRESULT XmlNodeList::get_item(int32_t index, IXMLDOMNode** node) {
    if (!node) return E_POINTER;
    *node = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= nodes_.size()) return S_FALSE;
    return GuardBoundary([&] {
        *node = new XmlNode(tree_, nodes_[static_cast<size_t>(index)]);
        return S_OK;
    });
}

// Shared with the document, which serves the same node interfaces.
HRESULT QueryDocument(IXMLDOMDocument* self, const GUID& iid, void** out) {
    return QueryFor(self, iid, out, {IID_IUnknown, IID_IXMLDOMNode, IID_IXMLDOMDocument});
}

}  // namespace comrt::detail
