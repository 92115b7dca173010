#pragma once

#include "LoopbackService.h"
#include "support/AwaitTask.h"

#include "OndrelCore/client/APIClient.h"
#include "OndrelCore/client/APIError.h"
#include "OndrelCore/client/NetworkTransport.h"

#include <gtest/gtest.h>

// The real API client, over the real network stack, against the service on loopback.
class ContractTest : public testing::Test {
protected:
    explicit ContractTest(ServiceRouter::Settings settings = {}) : service(settings) {}

    APIClient anonymous() const { return APIClient(service.baseURL(), transport); }
    APIClient signedIn() {
        if (!auth)
            auth = awaitTask(anonymous().loginYandex(QStringLiteral("yandex-token")));
        return APIClient(service.baseURL(), transport, auth->accessToken);
    }
    template <class T>
    static int failure(QCoro::Task<T> task) {
        try {
            awaitTask(std::move(task));
        } catch (const APIError& error) {
            return error.kind() == APIError::Kind::unauthorized ? 401 : error.status();
        }
        return 0;
    }

    LoopbackService service;
    std::shared_ptr<HTTPTransport> transport = std::make_shared<NetworkTransport>();
    std::optional<AuthResponse> auth;
};
