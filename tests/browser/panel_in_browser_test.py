#!/usr/bin/python3
"""The panel served to a browser, driven by headless Chromium.

Starts talvon-panel-web (what scripts/run does without a display) once, with
a VNC password, on free ports and a fresh controller, then:
  - a wrong password is refused and the right one connects;
  - the home screen comes up, and a tap on the information picture through
    noVNC's canvas opens the information page, as the utility reports it
    (TALVON_PAGE_REPORT);
  - ending the script ends every process it started.
Before that, without starting anything: serving beyond loopback without a
password, and a port already taken, are refused with one line.

  panel_in_browser_test.py --serve SCRIPT --utility PROGRAM [--screenshot PNG]

Exits 77 (skipped) when Chromium or its driver is not installed.
"""
import argparse
import os
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
PASSWORD = "s3cret"
HOME_SCREEN = "102"
INFORMATION_PAGE = "132"


def control_id(template, name):
    """A control's id as the template's ids header names it."""
    header = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "platform", "templates",
                          f"ids_{template}.h")
    with open(header) as text:
        return re.search(rf"\b{name} = (\d+);", text.read()).group(1)


INFORMATION_PICTURE = control_id(HOME_SCREEN, "kUpperPicture")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(what, predicate, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            result = predicate()
        except Exception:  # the page may be between states
            result = None
        if result:
            return result
        time.sleep(0.1)
    raise Failure(f"timed out waiting for {what}")


def free_ports(count):
    """Ports free now, all different (each is held until all are picked)."""
    sockets = [socket.socket() for _ in range(count)]
    try:
        for s in sockets:
            s.bind(("127.0.0.1", 0))
        return [s.getsockname()[1] for s in sockets]
    finally:
        for s in sockets:
            s.close()


def listening(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


def descendants(pid):
    """Every process below pid, from /proc."""
    children = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as f:
                    parent = int(f.read().rsplit(")", 1)[1].split()[1])
            except (OSError, IndexError, ValueError):
                continue
            children.setdefault(parent, []).append(int(entry))
    found, todo = [], [pid]
    while todo:
        for child in children.get(todo.pop(), []):
            found.append(child)
            todo.append(child)
    return found


def alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def command_line(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return f.read().replace(b"\0", b" ").decode(errors="replace")
    except OSError:
        return ""


def read_until(process, marker, seconds):
    """The process's output up to the end of the line that starts with marker."""
    output = b""
    deadline = time.monotonic() + seconds
    while not any(line.startswith(marker.encode()) for line in output.split(b"\n")[:-1]):
        remaining = deadline - time.monotonic()
        if remaining <= 0 or not select.select([process.stdout], [], [], remaining)[0]:
            raise Failure(f"no line starting {marker!r} in {seconds} s:\n" + output.decode(errors="replace"))
        chunk = os.read(process.stdout.fileno(), 4096)
        if not chunk:
            raise Failure(f"ended before printing {marker!r}:\n" + output.decode(errors="replace"))
        output += chunk
    return output.decode(errors="replace")


def refusals(serve, env):
    """What is refused before anything starts: one line each, nothing left listening."""
    port, = free_ports(1)
    open_env = dict(env)
    open_env.pop("TALVON_VNC_PASSWORD", None)
    open_env.pop("TALVON_VNC_PASSWORD_FILE", None)
    run = subprocess.run([serve, "--listen", "0.0.0.0", "--port", str(port)], env=open_env,
                         capture_output=True, text=True, timeout=20)
    check(run.returncode == 1 and run.stdout == "" and run.stderr.count("\n") == 1
          and "needs a VNC password" in run.stderr,
          f"serving on 0.0.0.0 without a password was not refused: {run.returncode} {run.stderr!r}")
    check(not listening(port), "the refused start left something listening")

    with socket.socket() as taken:
        taken.bind(("127.0.0.1", 0))
        taken.listen()
        busy = taken.getsockname()[1]
        run = subprocess.run([serve, "--port", str(busy)], env=env,
                             capture_output=True, text=True, timeout=20)
    check(run.returncode == 1 and run.stderr.count("\n") == 1 and "in use" in run.stderr
          and "--port" in run.stderr,
          f"a web port in use was not named with a way out: {run.returncode} {run.stderr!r}")


def shown_pages(report):
    """(template, {control: (x, y, w, h)}) for each line of the page report."""
    pages = []
    try:
        with open(report) as f:
            lines = f.read().splitlines()
    except FileNotFoundError:
        return pages
    for line in lines:
        words = line.split()
        if len(words) >= 2 and words[0] == "shown":
            controls = {}
            for word in words[2:]:
                control, rect = word.split("=")
                controls[control] = tuple(int(n) for n in rect.split(","))
            pages.append((words[1], controls))
    return pages


def start_browser(profile):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service

    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    # As root Chromium needs --no-sandbox; the networking flags keep it from
    # reaching for the internet (this machine has none).
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--disable-dev-shm-usage", "--window-size=1000,800", f"--user-data-dir={profile}"):
        options.add_argument(flag)
    return webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)


def log_in(browser, password):
    from selenium.webdriver.common.by import By

    # The prompt the server asked for, in place (not the last one fading out).
    wait_until("noVNC's password prompt", lambda: browser.execute_script(
        "const prompt = document.getElementById('noVNC_credentials_dlg');"
        "return prompt.classList.contains('noVNC_open') && prompt.getAnimations().length === 0;"))
    field = browser.find_element(By.ID, "noVNC_password_input")
    field.clear()
    field.send_keys(password)
    browser.find_element(By.ID, "noVNC_credentials_button").click()


def page_state(browser):
    return browser.execute_script("return document.documentElement.className")


def tap(browser, x, y):
    """A tap at (x, y) of the remote screen, through the scaled canvas."""
    from selenium.webdriver.common.actions.action_builder import ActionBuilder
    from selenium.webdriver.common.by import By

    canvas = browser.find_element(By.CSS_SELECTOR, "#noVNC_container canvas")
    width, height, left, top, shown_width, shown_height = browser.execute_script(
        "const c = arguments[0], r = c.getBoundingClientRect();"
        "return [c.width, c.height, r.left, r.top, r.width, r.height];", canvas)
    at = (round(left + x * shown_width / width), round(top + y * shown_height / height))
    # noVNC's dialogs slide and fade out after a connect; until they have
    # stopped moving, one may pass under the pointer and take the tap.
    wait_until("the canvas to be uncovered", lambda: browser.execute_script(
        "return document.getAnimations().length === 0"
        " && document.elementFromPoint(arguments[0], arguments[1]) === arguments[2];", *at, canvas))
    actions = ActionBuilder(browser)
    actions.pointer_action.move_to_location(*at).click()
    actions.perform()


def browse(url, report, profile, screenshot):
    from selenium.webdriver.common.by import By

    browser = start_browser(profile)
    try:
        browser.get(url)
        log_in(browser, "wrong")
        wait_until("the wrong password to be refused",
                   lambda: "rejected" in browser.find_element(By.ID, "noVNC_status").text)
        check("noVNC_connected" not in page_state(browser), "connected with a wrong password")

        # The connect panel slides in: clicks fail until it is in place.
        wait_until("the connect button", lambda: browser.find_element(By.ID, "noVNC_connect_button").click() or True)
        log_in(browser, PASSWORD)
        wait_until("the right password to connect", lambda: "noVNC_connected" in page_state(browser))

        home = wait_until("the home screen", lambda: [c for t, c in shown_pages(report) if t == HOME_SCREEN])
        check(INFORMATION_PICTURE in home[-1], f"the home screen shows no information picture: {home[-1]}")
        check(not any(t == INFORMATION_PAGE for t, _ in shown_pages(report)), "the information page came up untapped")
        x, y, w, h = home[-1][INFORMATION_PICTURE]
        if screenshot:  # the home screen, once noVNC's status line and control bar have slid away
            settled = ("return document.getAnimations().length === 0"
                       " && !document.getElementById('noVNC_status').classList.contains('noVNC_open')")
            wait_until("noVNC to settle", lambda: browser.execute_script(settled))
            time.sleep(3)
            wait_until("noVNC to settle", lambda: browser.execute_script(settled))
            browser.save_screenshot(screenshot)
        tap(browser, x + w // 2, y + h // 2)
        wait_until("the information page", lambda: any(t == INFORMATION_PAGE for t, _ in shown_pages(report)))
    finally:
        browser.quit()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--serve", required=True)
    parser.add_argument("--utility", required=True)
    parser.add_argument("--screenshot")
    args = parser.parse_args()

    for program in (CHROMIUM, CHROMEDRIVER):
        if not os.access(program, os.X_OK):
            print(f"SKIPPED: {program} is not installed (scripts/setup test installs chromium and chromium-driver)")
            return 77

    started = time.monotonic()
    with tempfile.TemporaryDirectory(prefix="talvon-browser-") as work:
        report = os.path.join(work, "pages")
        password_file = os.path.join(work, "password")
        with open(password_file, "w") as f:
            f.write(PASSWORD + "\n")
        web_port, vnc_port = free_ports(2)
        env = {k: v for k, v in os.environ.items() if not k.startswith("TALVON_")}
        env.update(TALVON_UTILITY=args.utility, TALVON_PAGE_REPORT=report, TMPDIR=work)

        refusals(args.serve, env)

        serve = subprocess.Popen(
            [args.serve, "--port", str(web_port), "--vnc-port", str(vnc_port), "--password-file", password_file,
             "--controller", os.path.join(work, "controller")],
            env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        output = ""
        started_by_serve = set()
        try:
            output = read_until(serve, "Open the panel in a browser: ", seconds=30)
            match = re.search(r"(http://127\.0\.0\.1:(\d+)/vnc\.html\?\S*autoconnect=1\S*)", output)
            check(match and int(match.group(2)) == web_port, "no address to open:\n" + output)
            check(PASSWORD not in output, "the password was printed")
            started_by_serve = set(descendants(serve.pid))
            check(not any(PASSWORD in command_line(p) for p in started_by_serve), "the password is on a command line")
            browse(match.group(1), report, os.path.join(work, "chromium"), args.screenshot)
        finally:
            started_by_serve |= set(descendants(serve.pid))
            serve.send_signal(signal.SIGTERM)
            try:
                serve.wait(timeout=20)
            except subprocess.TimeoutExpired:
                serve.kill()
            left = [p for p in started_by_serve if alive(p)]
            for p in left:
                os.kill(p, signal.SIGKILL)
            sys.stdout.write(output + serve.stdout.read().decode(errors="replace"))
        check(not left, f"processes left running after the script ended: {left}")
        check(not listening(web_port) and not listening(vnc_port), "a port is still served after the script ended")
    print(f"panel in the browser: passed in {time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    # A time-out's SIGTERM still ends what the test started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("FAILED: stopped from outside"))
    try:
        sys.exit(main())
    except Failure as failure:
        print(f"FAILED: {failure}")
        sys.exit(1)
