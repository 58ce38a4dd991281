// The objects of the XML document service, over pugixml. Nodes and lists keep the
// parsed tree they point into alive, so they stay valid after the document object is
// released or loads other text.
#pragma once

#include <memory>
#include <vector>

#include <pugixml.hpp>

#include "comrt/xml.h"
#include "ref_counted.h"

namespace comrt::detail {

using XmlTree = std::shared_ptr<const pugi::xml_document>;

// The operations every node has, on a context node of a tree.
HRESULT NodeText(const pugi::xpath_node& node, BSTR* text);
HRESULT SelectSingle(const XmlTree& tree, const pugi::xpath_node& context, const OLECHAR* xpath,
                     IXMLDOMNode** node);
HRESULT SelectMany(const XmlTree& tree, const pugi::xpath_node& context, const OLECHAR* xpath,
                   IXMLDOMNodeList** list);

class XmlNode final : public RefCounted<XmlNode, IXMLDOMNode> {
public:
    XmlNode(XmlTree tree, pugi::xpath_node node) : tree_(std::move(tree)), node_(node) {}

    HRESULT QueryInterface(const GUID& iid, void** out) override;
    HRESULT get_text(BSTR* text) override;
    HRESULT selectSingleNode(const OLECHAR* xpath, IXMLDOMNode** node) override;
    HRESULT selectNodes(const OLECHAR* xpath, IXMLDOMNodeList** list) override;

private:
    friend class RefCounted<XmlNode, IXMLDOMNode>;
    ~XmlNode() = default;

    XmlTree tree_;
    pugi::xpath_node node_;
};

class XmlNodeList final : public RefCounted<XmlNodeList, IXMLDOMNodeList> {
public:
    XmlNodeList(XmlTree tree, std::vector<pugi::xpath_node> nodes) : tree_(std::move(tree)), nodes_(std::move(nodes)) {}

    HRESULT QueryInterface(const GUID& iid, void** out) override;
    HRESULT get_length(int32_t* length) override;
    HRESULT get_item(int32_t index, IXMLDOMNode** node) override;

private:
    friend class RefCounted<XmlNodeList, IXMLDOMNodeList>;
    ~XmlNodeList() = default;

    XmlTree tree_;
    std::vector<pugi::xpath_node> nodes_;
};

class XmlDocument final : public RefCounted<XmlDocument, IXMLDOMDocument> {
public:
    XmlDocument();

    HRESULT QueryInterface(const GUID& iid, void** out) override;
    HRESULT get_text(BSTR* text) override;
    HRESULT selectSingleNode(const OLECHAR* xpath, IXMLDOMNode** node) override;
    HRESULT selectNodes(const OLECHAR* xpath, IXMLDOMNodeList** list) override;
    HRESULT put_async(BOOL async) override;
    HRESULT loadXML(const OLECHAR* text, BOOL* parsed) override;
    HRESULT get_parsed(BOOL* parsed) override;

private:
    friend class RefCounted<XmlDocument, IXMLDOMDocument>;
    ~XmlDocument() = default;

    pugi::xpath_node Root() const { return pugi::xpath_node(*tree_); }

    XmlTree tree_;  // never null: an empty document until a load parses
    BOOL parsed_ = 0;
    BOOL async_ = 1;
};

}  // namespace comrt::detail
