// The local service as a user meets it: its own process, a SQLite file, one keep-alive
// connection over loopback. POST /tasks at 1,000 and at 100,000 stored tasks (a write should
// cost the same at both), and the service's memory when a 100 MB upload is refused.

#include <benchmark/benchmark.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http.hpp>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

namespace {

// ondrel-local-service on a free port with its database in a fresh folder.
class ServiceProcess {
public:
    ServiceProcess() {
        char folder[] = "/tmp/ondrel-bench-XXXXXX";
        if (!::mkdtemp(folder))
            throw std::runtime_error("cannot create a temporary folder");
        m_folder = folder;
        int out[2];
        if (::pipe(out) != 0)
            throw std::runtime_error("cannot create a pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const std::string data = m_folder + "/bench.sqlite";
        std::vector<std::string> arguments{
            ONDREL_SERVICE_BINARY, "--port", "0", "--data", data, "--no-seed"};
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const int spawned =
            ::posix_spawn(&m_pid, ONDREL_SERVICE_BINARY, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (spawned != 0)
            throw std::runtime_error("cannot start " ONDREL_SERVICE_BINARY);
        std::string line;
        char c = 0;
        while (::read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        ::close(out[0]);
        const std::size_t colon = line.rfind(':');
        m_port = colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
        if (m_port == 0)
            throw std::runtime_error("the service did not start: " + line);
    }
    ~ServiceProcess() {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    unsigned short port() const { return static_cast<unsigned short>(m_port); }
    // A line of /proc/PID/status in megabytes: VmRSS now, VmHWM the peak.
    double megabytes(const std::string& key) const {
        std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind(key + ":", 0) == 0)
                return std::stod(line.substr(key.size() + 1)) / 1024.0;
        return -1;
    }

private:
    std::string m_folder;
    pid_t m_pid = 0;
    int m_port = 0;
};

class Client {
public:
    explicit Client(unsigned short port) : m_stream(m_io) {
        m_stream.connect(tcp::endpoint(asio::ip::address_v4::loopback(), port));
        m_host = "127.0.0.1:" + std::to_string(port);
    }

    http::response<http::string_body> call(http::verb method, const std::string& target,
                                           std::string body = {}) {
        http::request<http::string_body> request(method, target, 11);
        request.set(http::field::host, m_host);
        if (!m_token.empty())
            request.set(http::field::authorization, "Bearer " + m_token);
        if (!body.empty())
            request.set(http::field::content_type, "application/json");
        request.body() = std::move(body);
        request.prepare_payload();
        http::write(m_stream, request);
        http::response_parser<http::string_body> parser;
        parser.body_limit(boost::none);
        http::read(m_stream, m_buffer, parser);
        return parser.release();
    }

    void signIn() {
        const auto answer = call(http::verb::post, "/auth/yandex", R"({"accessToken":"bench"})");
        const std::string& text = answer.body();
        const std::size_t start = text.find("\"accessToken\":\"") + 15;
        m_token = text.substr(start, text.find('"', start) - start);
    }

    // `count` tasks in one sync push, the quickest way in.
    void seed(int count) {
        std::string body = R"({"tasks":[)";
        for (int i = 0; i < count; ++i)
            body += (i ? "," : "") + std::string(R"({"id":"seed-)") + std::to_string(i) +
                    R"(","title":"Задача из прошлого номер )" + std::to_string(i) +
                    R"(","updatedAt":"2024-01-01T00:00:00Z"})";
        body += "]}";
        if (call(http::verb::post, "/sync", std::move(body)).result_int() != 200)
            throw std::runtime_error("seeding failed");
    }

    tcp::socket& socket() { return m_stream.socket(); }

private:
    asio::io_context m_io;
    beast::tcp_stream m_stream;
    beast::flat_buffer m_buffer;
    std::string m_host;
    std::string m_token;
};

double percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(share * double(values.size())))];
}

void postTask(benchmark::State& state) {
    ServiceProcess service;
    Client client(service.port());
    client.signIn();
    client.seed(int(state.range(0)));
    std::vector<double> micros;
    int n = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const auto answer = client.call(http::verb::post, "/tasks",
                                        R"({"title":"Новая задача )" + std::to_string(++n) +
                                            R"(","priority":"HIGH"})");
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
        if (answer.result_int() != 201)
            state.SkipWithError("POST /tasks failed");
    }
    state.counters["req/s"] = benchmark::Counter(double(n), benchmark::Counter::kIsRate);
    state.counters["p50_us"] = percentile(micros, 0.50);
    state.counters["p99_us"] = percentile(micros, 0.99);
}
BENCHMARK(postTask)->Arg(1'000)->Arg(100'000)->Iterations(3'000)->UseRealTime()->Unit(
    benchmark::kMicrosecond);

// 100 MB sent whatever the service says, as a hostile or careless client would; with a length
// it is refused on its header, chunked once 32 MB have arrived.
void refusedUpload(benchmark::State& state) {
    const bool chunked = state.range(0) != 0;
    ServiceProcess service;
    const double before = service.megabytes("VmRSS");
    const std::string chunk(1024 * 1024, 'A');
    for (auto _ : state) {
        Client client(service.port());
        std::string head =
            "POST /captures HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(service.port()) + "\r\n";
        head +=
            chunked ? "Transfer-Encoding: chunked\r\n\r\n" : "Content-Length: 104857600\r\n\r\n";
        boost::system::error_code error;
        asio::write(client.socket(), asio::buffer(head), error);
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", chunk.size());
        for (int i = 0; i < 100 && !error; ++i) {
            if (chunked)
                asio::write(client.socket(), asio::buffer(size, std::strlen(size)), error);
            asio::write(client.socket(), asio::buffer(chunk), error);
            if (chunked)
                asio::write(client.socket(), asio::buffer("\r\n", 2), error);
        }
        std::string answer(64, '\0');
        const std::size_t got = client.socket().read_some(asio::buffer(answer), error);
        if (answer.compare(0, std::min<std::size_t>(got, 12), "HTTP/1.1 413", 0, 12) != 0)
            state.SkipWithError("the upload was not refused with 413");
    }
    state.counters["rss_before_MB"] = before;
    state.counters["rss_after_MB"] = service.megabytes("VmRSS");
    state.counters["rss_peak_MB"] = service.megabytes("VmHWM");
}
BENCHMARK(refusedUpload)
    ->ArgName("chunked")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
