#pragma once
// Writes every event a connection's observers hear into a timeline by name
// ("IssueListChanged", "IssueWereThrown(Model::Issue::UnknownError)") and
// keeps the element types of each unassociated-elements report. It watches
// the connection from its making to its end.
#include <vector>

#include "Model/ConnectionWithSpecification.hpp"
#include "support/RecordingPage.hpp"

namespace TestSupport {

class RecordingObserver : public TessaryConnect::Model::ConnectionWithSpecificationObserver {
public:
    using ConnectionPtr = std::shared_ptr<TessaryConnect::Model::ConnectionWithSpecification>;
    using Types = PK::HashSet<TessaryConnect::Model::Element::Type>;

    RecordingObserver(TessaryConnect::Model::ConnectionWithSpecification& connection, Timeline& timeline);
    ~RecordingObserver() override;
    RecordingObserver(const RecordingObserver&) = delete;
    RecordingObserver& operator=(const RecordingObserver&) = delete;

    void ConnEvent_Disconnected(const ConnectionPtr&) override { _timeline.push_back("Disconnected"); }
    void ConnEvent_VirtualTypeListChanged(const ConnectionPtr&) override {
        _timeline.push_back("VirtualTypeListChanged");
    }
    void ConnEvent_IssueListChanged(const ConnectionPtr&) override { _timeline.push_back("IssueListChanged"); }
    void ConnEvent_UnassociatedElementTypeChanged(const ConnectionPtr&, const Types& types) override;
    void ConnEvent_ErrorPropertyManagerNoAccessRight(const ConnectionPtr&) override {
        _timeline.push_back("ErrorPropertyManagerNoAccessRight");
    }
    void ConnEvent_ErrorClassificationManagerNoAccessRight(const ConnectionPtr&) override {
        _timeline.push_back("ErrorClassificationManagerNoAccessRight");
    }
    void ConnEvent_IssueWereThrown(const ConnectionPtr&,
                                   const std::shared_ptr<TessaryConnect::Model::Issue::Base>& issue) override;
    void ConnEvent_TitleChanged(const ConnectionPtr&) override { _timeline.push_back("TitleChanged"); }

    // The types of each unassociated-elements report, in order.
    std::vector<Types> reports;

private:
    TessaryConnect::Model::ConnectionWithSpecification& _connection;
    Timeline& _timeline;
};

}  // namespace TestSupport
