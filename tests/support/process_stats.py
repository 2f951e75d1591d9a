"""What /proc tells of a process, for the scripts that measure the program's cost."""

import os


def stat_fields(pid):
    """The fields of /proc/PID/stat after the command name, which may hold blanks."""
    with open("/proc/%d/stat" % pid) as stat:
        return stat.read().rsplit(")", 1)[1].split()


def cpu_seconds(pid):
    """User and system time of all the process's threads so far."""
    fields = stat_fields(pid)
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def status_field(pid, name):
    """A number from /proc/PID/status, such as VmHWM in kB; 0 when absent."""
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith(name + ":"):
                return int(line.split()[1])
    return 0
