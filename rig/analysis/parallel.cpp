#include "analysis/parallel.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace rig {
namespace {

struct Worker {
    pid_t pid = -1;
    int fd = -1;
    std::size_t task = 0;
    std::string output;
};

// In the child: load, compute, write, exit without running the parent's
// destructors or flushing its stdio buffers twice.
[[noreturn]] void child(const Library_Paths& paths, const Task& task, int fd) {
    Model_Api api;
    std::string error;
    nlohmann::json out;
    int status = 0;
    if (!load_model(paths, api, error)) {
        out = {{"error", error}};
        status = 3;
    } else {
        try {
            out = {{"result", task(api)}};
        } catch (const std::exception& e) {
            out = {{"error", e.what()}};
            status = 2;
        }
    }
    const std::string text = out.dump();
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    close(fd);
    _exit(status);
}

bool start(const Library_Paths& paths, const Task& task, std::size_t index, Worker& w,
           std::string& error) {
    int fds[2];
    if (pipe(fds) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        error = std::string("fork: ") + std::strerror(errno);
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        close(fds[0]);
        child(paths, task, fds[1]);
    }
    close(fds[1]);
    w = Worker{pid, fds[0], index, {}};
    return true;
}

Task_Outcome finish(Worker& w) {
    close(w.fd);
    int status = 0;
    while (waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
    }
    Task_Outcome o;
    if (WIFSIGNALED(status)) {
        o.error = std::string("worker killed by signal ") + strsignal(WTERMSIG(status));
        return o;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 4) {
        o.error = "floating-point trap in the worker";
        return o;
    }
    const nlohmann::json j = nlohmann::json::parse(w.output, nullptr, false);
    if (j.is_discarded() || !j.is_object()) {
        o.error = "worker gave no result (exit status " +
                  std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")";
    } else if (j.contains("error")) {
        o.error = j["error"].get<std::string>();
    } else {
        o.ok = true;
        o.result = j["result"];
    }
    return o;
}

void draw_bar(const std::string& label, std::size_t done, std::size_t total) {
    constexpr int kWidth = 30;
    const int filled = total == 0 ? kWidth : static_cast<int>(kWidth * done / total);
    std::fprintf(stderr, "\r%s [%.*s%*s] %zu/%zu", label.c_str(), filled,
                 "##############################", kWidth - filled, "", done, total);
    if (done == total) std::fprintf(stderr, "\n");
    std::fflush(stderr);
}

}  // namespace

std::vector<Task_Outcome> run_tasks(const Library_Paths& paths, const std::vector<Task>& tasks,
                                    const Pool_Options& options) {
    std::vector<Task_Outcome> outcomes(tasks.size());
    std::vector<Worker> running;
    const std::size_t jobs = static_cast<std::size_t>(options.jobs < 1 ? 1 : options.jobs);
    std::size_t next = 0, done = 0;
    if (options.progress) draw_bar(options.label, 0, tasks.size());
    while (done < tasks.size()) {
        while (running.size() < jobs && next < tasks.size()) {
            Worker w;
            std::string error;
            if (start(paths, tasks[next], next, w, error)) {
                running.push_back(w);
            } else {
                outcomes[next].error = error;
                ++done;
            }
            ++next;
        }
        if (running.empty()) continue;
        std::vector<pollfd> fds;
        for (const Worker& w : running) fds.push_back({w.fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (std::size_t i = running.size(); i-- > 0;) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            Worker& w = running[i];
            char buffer[65536];
            const ssize_t n = read(w.fd, buffer, sizeof buffer);
            if (n > 0) {
                w.output.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            outcomes[w.task] = finish(w);
            running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
            ++done;
            if (options.progress) draw_bar(options.label, done, tasks.size());
        }
    }
    return outcomes;
}

}  // namespace rig
