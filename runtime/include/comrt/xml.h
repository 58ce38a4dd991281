// The XML document service: a document object created in-process by the runtime
// (class DOMDocument60), which loads text, selects nodes by XPath 1.0 and reads texts.
// Slots after IUnknown's three are this runtime's own.
#pragma once

#include "comrt/unknown.h"

// DOMDocument60 {88D96A05-F192-11D4-A65F-0040963251E5}
inline constexpr CLSID CLSID_DOMDocument60 = {0x88D96A05, 0xF192, 0x11D4, {0xA6, 0x5F, 0x00, 0x40, 0x96, 0x32, 0x51, 0xE5}};
// IXMLDOMDocument {2933BF81-7B36-11D2-B20E-00C04F983E60}
inline constexpr IID IID_IXMLDOMDocument = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
// IXMLDOMNode {2933BF80-7B36-11D2-B20E-00C04F983E60}
inline constexpr IID IID_IXMLDOMNode = {0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
// IXMLDOMNodeList {2933BF82-7B36-11D2-B20E-00C04F983E60}
inline constexpr IID IID_IXMLDOMNodeList = {0x2933BF82, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

struct IXMLDOMNodeList;

// A node: element, attribute or text. Selections are relative to the node.
struct IXMLDOMNode : IUnknown {
    // The node's text (an element's descendant text, an attribute's value) as a new
    // BSTR the caller frees; E_POINTER for a null out.
    virtual HRESULT get_text(BSTR* text) = 0;                                   // 3
    // The first node the XPath selects: S_OK with a node, S_FALSE with null when none
    // matches, E_INVALIDARG (out null) when the expression does not compile.
    virtual HRESULT selectSingleNode(const OLECHAR* xpath, IXMLDOMNode** node) = 0;   // 4
    // Every node the XPath selects, in document order (possibly none): S_OK;
    // E_INVALIDARG (out null) when the expression does not compile.
    virtual HRESULT selectNodes(const OLECHAR* xpath, IXMLDOMNodeList** list) = 0;    // 5
};

struct IXMLDOMNodeList : IUnknown {
    virtual HRESULT get_length(int32_t* length) = 0;                 // 3
    // Node at index (0-based): S_OK, or S_FALSE with null when out of range.
    virtual HRESULT get_item(int32_t index, IXMLDOMNode** node) = 0; // 4
};

// The document is itself the root node for selections.
struct IXMLDOMDocument : IXMLDOMNode {
    // Loading is always synchronous here; the switch is kept for callers that set it.
    virtual HRESULT put_async(BOOL async) = 0;                                   // 6
    // Parses text. *parsed is TRUE when it is well formed; S_OK then, S_FALSE when not
    // (the document is then empty).
    virtual HRESULT loadXML(const OLECHAR* text, BOOL* parsed) = 0;              // 7
    // TRUE when the last load parsed.
    virtual HRESULT get_parsed(BOOL* parsed) = 0;                                // 8
};
