#pragma once
// The page that stands in for the Orvo Tessary web application in the demo:
// it records every call the add-on makes on window.orvoTessaryState (one
// line each, "name(<arguments as JSON>)"), keeps the document reference and
// selection it was last sent, and offers the actions a user would take in
// the web application as functions of `demo`, each calling the add-on's
// script object orvoTessaryIntegrator and keeping the answer.
namespace DemoPage {

inline constexpr char Html[] = R"(<html><head><title>Orvo Tessary</title></head>
<body><h1>Orvo Tessary</h1><div id="spec">No specification open</div>
<script>
var demo = { received: [], answers: {}, documentRef: null, selection: null };
var pageFunctions = ['setAppState', 'setDocumentState', 'setSelectionState', 'associateSpec',
                     'removeSpecAssociation', 'associate', 'removeAssociation', 'sendAssociationFeedback',
                     'requestClauseData'];
window.orvoTessaryState = {};
for (var i = 0; i < pageFunctions.length; i++) (function (name) {
    window.orvoTessaryState[name] = function () {
        var args = Array.prototype.slice.call(arguments);
        demo.received.push(name + '(' + JSON.stringify(args) + ')');
        if (name === 'setDocumentState') demo.documentRef = args[0] ? args[0].documentRef : null;
        if (name === 'associateSpec') demo.documentRef = args[1];
        if (name === 'setSelectionState') demo.selection = args[0];
    };
})(pageFunctions[i]);

// Calls the add-on; the answer is kept under the function's name.
demo.call = function (name) {
    var args = Array.prototype.slice.call(arguments, 1);
    var integrator = window.orvoTessaryIntegrator;
    integrator[name].apply(integrator, args).then(function (answer) {
        demo.answers[name] = answer;
        if (name === 'getAllState') {
            var document = JSON.parse(answer).documentState;
            demo.documentRef = document ? document.documentRef : null;
        }
    });
};

demo.project = { id: 'tessary-project-7', title: 'Riverside Offices' };
demo.spec = { id: 'spec-42', title: 'Riverside Offices - Architectural Specification', type: 'Architectural' };

demo.clause = function (clauseId, code, title) {
    return JSON.stringify({ OrvoTessaryClauseId: clauseId, OrvoTessaryCode: code, OrvoTessaryTitle: title,
                            OrvoTessaryPrefix: 'TS-', OrvoTessarySuffix: '' });
};

// What the user's clicks in the web application send.
demo.connectSpecification = function () {
    demo.call('specAssociationRequested', demo.project.id, demo.spec.id, demo.project.title, demo.spec.title,
              '', demo.spec.type);
};
demo.openSpecification = function () {
    document.getElementById('spec').textContent = demo.spec.title;
    demo.call('specOpened', demo.project.id, demo.spec.id, demo.project.title, demo.spec.title);
};
demo.associateSelection = function (clauseId, code, title) {
    demo.call('associationRequested', clauseId, demo.spec.id, clauseId, demo.clause(clauseId, code, title));
};
demo.editClause = function (clauseId, code, title) {
    var byClause = {};
    byClause[clauseId] = JSON.parse(demo.clause(clauseId, code, title));
    demo.call('updateProperties', demo.documentRef, '', JSON.stringify(byClause));
};
demo.removeSelectionFromClause = function (clauseId, code, title) {
    demo.call('removeAssociationRequested', clauseId, demo.spec.id, clauseId, demo.clause(clauseId, code, title));
};
demo.listTypes = function () {
    demo.call('getAllTypesInDocument', demo.documentRef, '["OrvoTessaryCode", "OrvoTessaryTitle"]');
};
</script></body></html>)";

}  // namespace DemoPage
