#include "PK/Object.hpp"

#include <ostream>

namespace PK {

const ClassInfo Object::classInfo("PK::Object", Guid("5C2B8E47-1F3A-4D69-B0E2-7A4C6D8F9013"), ClassVersion(1, 0));

Object::~Object() = default;

ErrCode Object::Validate() const { return NoError; }
void Object::RestoreValidated() {}
Object* Object::Clone() const { return nullptr; }
const ClassInfo* Object::GetClassInfo() const { return &classInfo; }
ErrCode Object::Read(IChannel& ic) { return ic.GetInputStatus(); }
ErrCode Object::Write(OChannel& oc) const { return oc.GetOutputStatus(); }

ErrCode Object::Store(OChannel& oc) const {
    if (ErrCode err = oc.Write(GetClassInfo()->GetId()); err != NoError) return err;
    return Write(oc);
}

ErrCode Object::Restore(IChannel& ic) {
    Guid classId;
    if (ErrCode err = ic.Read(classId); err != NoError) return err;
    if (classId != GetClassInfo()->GetId()) return BadData;
    return Read(ic);
}

void Object::Print(std::ostream& os) const { os << GetClassInfo()->GetName(); }
void Object::Dump(std::ostream& os) const { Print(os); }
bool Object::CheckState() const { return true; }

std::unique_ptr<Object> CreateObject(const Guid& classId) {
    const ClassInfo* info = classManager.FindClassInfo(classId);
    if (info == nullptr) return nullptr;
    return std::unique_ptr<Object>(info->Construct());
}

}  // namespace PK
