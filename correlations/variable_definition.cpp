#include "correlations/variable_definition.h"

#include <cstring>
#include <string>

#include "comrt/codepage.h"
#include "comrt/com_ptr.h"
#include "comrt/create.h"
#include "comrt/memory.h"
#include "comrt/owners.h"
#include "comrt/resource.h"
#include "comrt/xml.h"
#include "correlations/bstr_text.h"

namespace volacor {
namespace {

using comrt::ComPtr;

// An address inside this library, to find the module the resource is carried in.
const char kModuleAnchor = 0;

// The text of the node xpath selects below node, held narrow in the ANSI code page;
// empty when nothing is selected.
std::string SelectText(IXMLDOMNode* node, const char16_t* xpath) {
    if (!node) return {};
    ComPtr<IXMLDOMNode> selected;
    if (FAILED(node->selectSingleNode(xpath, selected.put())) || !selected) return {};
    BSTR raw = nullptr;
    if (FAILED(selected->get_text(&raw))) return {};
    const comrt::UniqueBstr text(raw);
    if (!text) return {};
    return comrt::WideToAnsi(std::u16string_view(text.get(), SysStringLen(text.get())));
}

std::string NodeText(IXMLDOMNode* node) {
    BSTR raw = nullptr;
    if (FAILED(node->get_text(&raw))) return {};
    const comrt::UniqueBstr text(raw);
    if (!text) return {};
    return comrt::WideToAnsi(std::u16string_view(text.get(), SysStringLen(text.get())));
}

// The "EnumValue" children of node become the variable's list of texts, in order.
void ApplyEnumTexts(IXMLDOMNode* node, IHostVariable* variable) {
    ComPtr<IEnumeratedVariable> enumerated;
    if (FAILED(variable->QueryInterface(IID_IEnumeratedVariable, enumerated.put_void())) || !enumerated) return;
    ComPtr<IXMLDOMNodeList> values;
    if (FAILED(node->selectNodes(u"EnumValue", values.put())) || !values) return;
    enumerated->SetEnumFlagA(1);
    enumerated->SetEnumFlagB(0);
    int32_t count = 0;
    if (FAILED(values->get_length(&count))) return;
    for (int32_t index = 0; index < count; ++index) {
        ComPtr<IXMLDOMNode> value;
        if (values->get_item(index, value.put()) != S_OK || !value) continue;
        const comrt::UniqueBstr text = AnsiToBstr(NodeText(value.get()));
        enumerated->SetEnumText(index, text.get());
    }
}

}  // namespace

std::string_view VariableDefinitionText() noexcept {
    const void* data = nullptr;
    uint32_t size = 0;
    HMODULE self = comrt_ModuleFromAddress(&kModuleAnchor);
    if (!self || FAILED(comrt_FindResource(self, kVariableDefinitionType, kVariableDefinitionId,
                                           kVariableDefinitionLanguage, &data, &size)) ||
        !data)
        return {};
    const char* text = static_cast<const char*>(data);
    const void* zero = std::memchr(text, 0, size);
    return std::string_view(text, zero ? static_cast<size_t>(static_cast<const char*>(zero) - text) : size);
}

bool LoadVariableDefinitionFromText(std::string_view document, const char* taggedName, IHostVariable* variable) {
    if (!variable) return false;
    ComPtr<IXMLDOMDocument> xml;
    if (FAILED(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                xml.put_void())) ||
        !xml)
        return false;
    xml->put_async(0);

    const size_t end = document.find('\0');
    if (end != std::string_view::npos) document = document.substr(0, end);
    if (document.empty() || !taggedName) return true;

    BOOL parsed = 0;
    const std::u16string text = comrt::AnsiToWide(document);
    if (xml->loadXML(text.c_str(), &parsed) != S_OK || !parsed) return true;

    // The name goes into the path unescaped; the names used here hold no double quote.
    const std::u16string path =
        u"VariableDefinitions/Variable[@TaggedName=\"" + comrt::AnsiToWide(taggedName) + u"\"]";
    ComPtr<IXMLDOMNode> entry;
    if (FAILED(xml->selectSingleNode(path.c_str(), entry.put()))) return true;

    const std::string displayName = SelectText(entry.get(), u"@DisplayName");
    const std::string documentTaggedName = SelectText(entry.get(), u"@TaggedName");
    const std::string type = SelectText(entry.get(), u"@Type");
    if (!displayName.empty()) variable->SetDisplayName(AnsiToBstr(displayName).get());
    if (!documentTaggedName.empty()) variable->SetTaggedName(AnsiToBstr(documentTaggedName).get());
    if (entry && type == "Enum") ApplyEnumTexts(entry.get(), variable);
    return true;
}

bool LoadVariableDefinition(const char* taggedName, IHostVariable* variable) {
    return LoadVariableDefinitionFromText(VariableDefinitionText(), taggedName, variable);
}

}  // namespace volacor
