#!/usr/bin/env python3
"""A VISA client nobody here wrote (pyvisa with the pure-Python pyvisa-py backend) talks to
gsmbench-sim over SOCKET and VXI-11. pyvisa-py finds the VXI-11 core channel through the
portmapper on port 111 only, so the simulator must bind it: when it cannot, the VXI-11 half is
skipped (exit code 77) after the SOCKET half has passed."""
import subprocess
import sys
import time

SKIP = 77


def main():
    sim = sys.argv[1]
    try:
        import pyvisa
    except ImportError:
        print("SKIP: python3-pyvisa / pyvisa-py not installed")
        return SKIP
    proc = subprocess.Popen(
        [sim, "--testset-port", "0", "--supply-port", "0", "--vxi11", "--portmapper-port", "111",
         "--time-scale", "0"],
        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        banner = proc.stdout.readline()
        if not banner:
            print("simulator did not start:", proc.stderr.read())
            return 1
        print(banner.strip())
        words = banner.replace(",", " ").split()
        testset_port = int(words[words.index("test") + 3].rsplit(":", 1)[1])
        supply_port = int(words[words.index("supply") + 2].rsplit(":", 1)[1])
        portmapper = "portmapper" in words

        rm = pyvisa.ResourceManager("@py")
        identities = {}
        for name, port in (("testset", testset_port), ("supply", supply_port)):
            inst = rm.open_resource(f"TCPIP0::127.0.0.1::{port}::SOCKET",
                                    read_termination="\n", write_termination="\n", timeout=5000)
            identities[name] = inst.query("*IDN?").strip()
            err = inst.query("SYSTem:ERRor?").strip()
            inst.close()
            print(f"SOCKET {name}: {identities[name]} / {err}")
            if not identities[name] or err != '+0,"No error"':
                return 1

        if not portmapper:
            print("SKIP: VXI-11 half: the simulator could not bind the portmapper on port 111")
            return SKIP
        for name, devices in (("testset", ("inst0", "gpib0,14")), ("supply", ("inst1", "gpib0,5"))):
            for device in devices:
                inst = rm.open_resource(f"TCPIP0::127.0.0.1::{device}::INSTR", timeout=5000)
                ident = inst.query("*IDN?").strip()
                values = inst.query("*OPC?;*ESR?").strip()
                inst.close()
                print(f"VXI-11 {device}: {ident} / {values}")
                if ident != identities[name] or values != "+1;+0":
                    return 1
        rm.close()
        return 0
    finally:
        proc.terminate()
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()


if __name__ == "__main__":
    sys.exit(main())
