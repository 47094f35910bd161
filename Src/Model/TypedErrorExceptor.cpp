#include "Model/TypedErrorExceptor.hpp"

#include <stdexcept>

#include "Model/Errors.hpp"
#include "Torvel/Api/Error.hpp"

namespace TessaryConnect::Model::Error {

// The access-right errors derive from Api::GeneralError, so they come first,
// here and in RethrowIfCatched.
void TypedErrorExceptor::Try(const std::function<void()>& function) {
    try {
        function();
    } catch (const Api::ErrorClassificationManagerNoAccessRight& e) {
        _error = std::make_unique<Api::ErrorClassificationManagerNoAccessRight>(e);
    } catch (const Api::ErrorPropertyManagerNoAccessRight& e) {
        _error = std::make_unique<Api::ErrorPropertyManagerNoAccessRight>(e);
    } catch (const Api::GeneralError& e) {
        _error = std::make_unique<Api::GeneralError>(e);
    } catch (const MissingClassificationSystem& e) {
        _error = std::make_unique<MissingClassificationSystem>(e);
    } catch (const MissingClassificationItem& e) {
        _error = std::make_unique<MissingClassificationItem>(e);
    } catch (const MissingPropertyGroup& e) {
        _error = std::make_unique<MissingPropertyGroup>(e);
    } catch (const MissingProperty& e) {
        _error = std::make_unique<MissingProperty>(e);
    } catch (const std::exception& e) {
        // Any other type cannot be copied as itself; keep at least its text.
        _error = std::make_unique<std::runtime_error>(e.what());
    } catch (...) {
        _unknownCaught = true;
    }
}

void TypedErrorExceptor::RethrowIfCatched() const {
    if (!_error) {
        if (_unknownCaught) throw std::runtime_error("TypedErrorExceptor: unknown");
        return;
    }
    std::exception* error = _error.get();
    if (auto* e = dynamic_cast<Api::ErrorClassificationManagerNoAccessRight*>(error)) throw *e;
    if (auto* e = dynamic_cast<Api::ErrorPropertyManagerNoAccessRight*>(error)) throw *e;
    if (auto* e = dynamic_cast<Api::GeneralError*>(error)) throw *e;
    if (auto* e = dynamic_cast<MissingClassificationSystem*>(error)) throw *e;
    if (auto* e = dynamic_cast<MissingClassificationItem*>(error)) throw *e;
    if (auto* e = dynamic_cast<MissingPropertyGroup*>(error)) throw *e;
    if (auto* e = dynamic_cast<MissingProperty*>(error)) throw *e;
    if (auto* e = dynamic_cast<std::runtime_error*>(error)) throw *e;
    throw std::exception(*error);
}

}  // namespace TessaryConnect::Model::Error
