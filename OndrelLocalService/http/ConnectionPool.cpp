#include "OndrelLocalService/http/ConnectionPool.h"

#include "OndrelLocalService/http/HttpConnection.h"

bool ConnectionPool::evictIdle() {
    HttpConnection* oldest = nullptr;
    for (HttpConnection* connection : m_open)
        if (connection->idleSince() && (!oldest || *connection->idleSince() < *oldest->idleSince()))
            oldest = connection;
    if (!oldest)
        return false;
    remove(oldest);
    oldest->evict();
    return true;
}
