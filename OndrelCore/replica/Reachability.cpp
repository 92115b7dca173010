#include "OndrelCore/replica/Reachability.h"

#include "OndrelCore/client/APIError.h"
#include "OndrelCore/client/RequestRefusal.h"
#include "OndrelCore/client/TransportError.h"

bool meansUnreachable(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const TransportError&) {
        return true;
    } catch (const APIError& apiError) {
        return apiError.kind() == APIError::Kind::http && apiError.status() >= 500;
    } catch (...) {
    }
    return false;
}

bool meansRefused(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const RequestRefusal&) {
        return true;
    } catch (const APIError& apiError) {
        return apiError.kind() == APIError::Kind::http && apiError.status() >= 400 &&
               apiError.status() < 500;
    } catch (...) {
    }
    return false;
}
