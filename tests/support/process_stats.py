"""What /proc tells of a process, for the scripts that measure the program's cost."""

import os
import time


def stat_fields(pid):
    """The fields of /proc/PID/stat after the command name, which may hold blanks."""
    with open("/proc/%d/stat" % pid) as stat:
        return stat.read().rsplit(")", 1)[1].split()


def cpu_seconds(pid):
    """User and system time of all the process's threads so far.

    Read from the process's CPU-time clock, which counts in nanoseconds; the times in
    /proc/PID/stat count in clock ticks of 10 ms, a twentieth of the program's CPU in a second.
    """
    # The kernel's clock id for another process's scheduler time: its pid, negated and
    # shifted, with the scheduler-clock bits.
    try:
        return time.clock_gettime(((~pid) << 3) | 2)
    except OSError:
        fields = stat_fields(pid)
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def status_field(pid, name):
    """A number from /proc/PID/status, such as VmHWM in kB; 0 when absent."""
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith(name + ":"):
                return int(line.split()[1])
    return 0
