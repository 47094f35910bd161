#pragma once
// TVSim::Teamwork: team work in the simulated host, as two (or more) users
// live it: each member works on a copy of the project on a machine of their
// own, and the copies meet only through a team-work server.
//
//   TVSim::Project& a = TVSim::OpenProject();           // Member A's machine
//   ... set A's project up ...
//   TVSim::Teamwork::Share();                           // A shares it: member 0
//   auto b = TVSim::Teamwork::Join("Member B");         // B opens the shared project
//   TVSim::Teamwork::SwitchTo(b);                       // B's machine is the host now
//   ... register B's handlers, let B's add-on work ...
//   TVSim::Teamwork::SendAndReceive();                  // B's changes reach the server
//   TVSim::Teamwork::SwitchTo(0);
//   TVSim::Teamwork::Receive();                         // A gets them (merge requests first)
//   PK::MainMessageLoop::RunPending();                  // A's add-on hears "changes received"
//
// One member is current at a time: its project is the open project, its
// registrations (handlers, menus, palettes) and its undelivered notifications
// are the host's. Every TVAPI_ call and every TVSim control call acts on the
// current member's machine. The add-on's own state is the test's to keep per
// member (one add-on instance per member), switched along with SwitchTo.
//
// What is shared: module data, add-on objects (name and content),
// classification systems and items, property groups and definitions, and the
// elements with their classifications and property values. Layers, stories,
// windows, selection and the undo history stay each member's own.
//
// How changes travel, as the host's Send and Receive do:
// - Receive takes in every entry the server changed since the member last
//   received it. When the member changed the same module-data entry too (and
//   neither side erased it), the host asks the member's add-on to merge: the
//   registered merge handler gets (APIMDSetMerge_TW, name, the member's
//   entry, the server's entry, destination); on NoError the destination
//   becomes the member's entry, on any other answer the member keeps its
//   own. Without a merge handler, and for every other kind of entry (whose
//   changes reservations guard), the server's version replaces the member's.
//   An entry one side erased and the other changed goes the server's way.
//   Module data is taken in last, so a merge handler sees the rest received.
//   A receive ends the member's undo and redo history: no undo reaches back
//   across it. Then APINotify_ReceiveChanges is queued (delivered by the
//   main loop).
// - SendAndReceive receives first, as the host always does, then sends every
//   entry the member changed since, and queues APINotify_SendChanges. A
//   member cannot send without receiving first.
//
// - Add-on object names are unique across the team: a member's object that
//   the server never had gives way, at the member's next receive, to the
//   server's object of the same name (the copy that reached the server
//   first), and releasing it sends nothing. So every member ends up holding
//   one object of the name, with one GUID.
//
// Reservations are the server's, and so conflict between members:
// - The ClassificationsAndProperties set: Project::ReserveClassificationsAndProperties
//   on a member's project asks the server. Held by another member, the
//   request is refused (the member sees APILockableStatus_Locked with that
//   member as holder); granted, the member first takes in the server's
//   latest classifications and properties, as a reservation brings the
//   latest version. Releasing sends the member's changes of them first.
// - Add-on objects: TVAPI_AddOnObject_ReserveObjects asks the server (another
//   member's object answers APIERR_NOTMINE with that member as conflict) and
//   brings the objects' latest content; releasing sends changed content.
// - Elements: a member's element reservations (Project::SetElementReservation,
//   and elements the member makes, which are its own) reach the server when
//   the member switches away, sends or receives; the others then see them as
//   reserved by that member and the host refuses their changes (APIERR_NOTMINE).
//
// The test's own mistakes throw std::logic_error: switching inside a host
// command or while the current member has undelivered notifications, using
// team work that is not running, an unknown member. Closing the project
// (CloseProject, OpenProject) or TVSim::Reset ends team work and forgets
// every member's copy.
#include "PK/Types.hpp"
#include "PK/UniString.hpp"
#include "TVSim/Guard.hpp"

namespace TVSim {

class Project;

namespace Teamwork {

using Member = PK::Int32;

// Shares the open project on a new team-work server; its user becomes member
// 0, under that name, and the project a shared one (its
// ClassificationsAndProperties set Free for everybody).
Member Share(const PK::UniString& memberName = "Member A");
// Another member opens the shared project on a machine of their own: a copy
// of what the server holds, with no registrations and nothing pending. The
// current member stays current.
Member Join(const PK::UniString& memberName = "Member B");
void SwitchTo(Member member);
Member Current();
bool IsActive();
PK::USize MemberCount();
const PK::UniString& NameOf(Member member);
// The member's copy of the project, whether current or not.
Project& ProjectOf(Member member);

// The current member's Receive, and Send after a Receive.
void Receive();
void SendAndReceive();
// Entries the server changed that the current member has not received yet,
// and entries the current member changed and has not sent.
PK::USize IncomingCount();
PK::USize OutgoingCount();

}  // namespace Teamwork
}  // namespace TVSim
