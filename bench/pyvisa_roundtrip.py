#!/usr/bin/env python3
"""pyvisa with the pyvisa-py backend over the same loopback exchanges that
bench_visa_roundtrip measures (query; command then query), for comparison.

Run with Debian's interpreter when python3-pyvisa-py is installed:
    /usr/bin/python3 bench/pyvisa_roundtrip.py
Prints median round-trip times; asserts nothing. Loopback only."""

import os
import socket
import statistics
import sys
import time
from multiprocessing import Process, Queue

REPLY = b"+1.234567E+00\n"
ROUNDS = 2000


def pin():
    if hasattr(os, "sched_setaffinity"):
        os.sched_setaffinity(0, {min(os.sched_getaffinity(0))})


def serve(port_queue):
    pin()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(4)
    port_queue.put(listener.getsockname()[1])
    conn, _ = listener.accept()
    conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    pending = b""
    while True:
        data = conn.recv(4096)
        if not data:
            return
        pending += data
        while b"\n" in pending:
            line, pending = pending.split(b"\n", 1)
            if line.endswith(b"?"):
                conn.sendall(REPLY)


def median_us(samples):
    return statistics.median(samples) * 1e6


def main():
    try:
        import pyvisa
    except ImportError:
        print("pyvisa is not installed for", sys.executable)
        return 0
    ports = Queue()
    server = Process(target=serve, args=(ports,), daemon=True)
    server.start()
    port = ports.get(timeout=10)
    pin()
    rm = pyvisa.ResourceManager("@py")
    inst = rm.open_resource(f"TCPIP0::127.0.0.1::{port}::SOCKET",
                            read_termination="\n", write_termination="\n")
    inst.timeout = 2000

    query, command_query = [], []
    for _ in range(ROUNDS):
        t = time.perf_counter()
        inst.query("MEAS?")
        query.append(time.perf_counter() - t)
    rounds = ROUNDS // 20  # a client with Nagle's algorithm on stalls here
    for _ in range(rounds):
        t = time.perf_counter()
        inst.write("SET 1")
        inst.query("MEAS?")
        command_query.append(time.perf_counter() - t)
    inst.close()
    rm.close()
    server.terminate()
    print(f"pyvisa-py query               median {median_us(query):10.1f} us ({len(query)} rounds)")
    print(f"pyvisa-py command then query  median {median_us(command_query):10.1f} us ({len(command_query)} rounds)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
