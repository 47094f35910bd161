#pragma once
// The eight page-callable functions of the page's script object that lead
// into the model: each takes the page's arguments as one script value,
// checks and converts them inside the page call frame, calls one operation of
// the model's page callbacks (reached through the page's GetCallbackApi) and
// answers the page. None raises an error in the page. TessaryBrowser
// registers them, in the order declared here, after its own three.
#include "DG/JSBase.hpp"

namespace TessaryConnect::Api {
class Tessary;
}

namespace TessaryConnect::Implementation {

class PageCalls {
public:
    using Function = DG::JSRef (*)(Api::Tessary& page, const DG::JSRef& argument) noexcept;

    // One string: the type id.
    static DG::JSRef SelectInstancesOfType(Api::Tessary& page, const DG::JSRef& argument) noexcept;
    // [document reference, JSON array of property names]; answers the JSON
    // array of the document's associable types as a string.
    static DG::JSRef GetAllTypesInDocument(Api::Tessary& page, const DG::JSRef& argument) noexcept;
    // [document reference, second text, JSON object of clause id to
    // {property name: text}].
    static DG::JSRef UpdateProperties(Api::Tessary& page, const DG::JSRef& argument) noexcept;
    // [project id, specification id, project title, specification title].
    static DG::JSRef SpecOpened(Api::Tessary& page, const DG::JSRef& argument) noexcept;
    // [project id, specification id, project title, specification title,
    // fifth text, specification type].
    static DG::JSRef SpecAssociationRequested(Api::Tessary& page, const DG::JSRef& argument) noexcept;
    // [project id, specification id, document reference].
    static DG::JSRef RemoveSpecAssociationRequested(Api::Tessary& page, const DG::JSRef& argument) noexcept;
    // [type id, specification id, clause id, JSON object of property name to text].
    static DG::JSRef AssociationRequested(Api::Tessary& page, const DG::JSRef& argument) noexcept;
    static DG::JSRef RemoveAssociationRequested(Api::Tessary& page, const DG::JSRef& argument) noexcept;
};

}  // namespace TessaryConnect::Implementation
