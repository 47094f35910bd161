#include "support/RecordingObserver.hpp"

namespace TestSupport {

RecordingObserver::RecordingObserver(TessaryConnect::Model::ConnectionWithSpecification& connection, Timeline& timeline)
    : _connection(connection), _timeline(timeline) {
    _connection.Attach(*this);
}

RecordingObserver::~RecordingObserver() { _connection.Detach(*this); }

void RecordingObserver::ConnEvent_UnassociatedElementTypeChanged(const ConnectionPtr&, const Types& types) {
    _timeline.push_back("UnassociatedElementTypeChanged");
    reports.push_back(types);
}

void RecordingObserver::ConnEvent_IssueWereThrown(const ConnectionPtr&,
                                                  const std::shared_ptr<TessaryConnect::Model::Issue::Base>& issue) {
    _timeline.push_back(std::string("IssueWereThrown(") + issue->GetClassInfo()->GetName() + ")");
}

}  // namespace TestSupport
