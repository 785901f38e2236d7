#!/usr/bin/python3
"""A phone's browser for the end-to-end tests: headless Chromium under
WebDriver, driven one command a line on standard input, one JSON answer a
line on standard output.

Commands (JSON objects):
  {"open": url}                      loads a page
  {"texts": css}                     innerText of every element that matches
  {"attrs": [css, name]}             an attribute of every element that matches
  {"type": [css, text]}              types into the first match (cleared first)
  {"click": css}                     clicks the first match
  {"script": js}                     runs js in the page, answers what it returns
  {"console": true}                  the page's console messages since the last ask
Answers: {"ok": true, "value": ...} or {"ok": false, "error": "..."}.
"""
import json
import sys

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By


def start():
    options = Options()
    options.binary_location = "/usr/bin/chromium"
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--window-size=390,844", "--lang=zh-CN", "--no-first-run"):
        options.add_argument(arg)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def run(driver, command):
    if "open" in command:
        driver.get(command["open"])
        return driver.title
    if "texts" in command:
        return [e.text for e in driver.find_elements(By.CSS_SELECTOR, command["texts"])]
    if "attrs" in command:
        css, name = command["attrs"]
        return [e.get_attribute(name) for e in driver.find_elements(By.CSS_SELECTOR, css)]
    if "type" in command:
        css, text = command["type"]
        field = driver.find_element(By.CSS_SELECTOR, css)
        field.clear()
        field.send_keys(text)
        return True
    if "click" in command:
        driver.find_element(By.CSS_SELECTOR, command["click"]).click()
        return True
    if "script" in command:
        return driver.execute_script(command["script"])
    if "console" in command:
        return [entry.get("message", "") for entry in driver.get_log("browser")]
    raise ValueError("unknown command")


def main():
    try:
        driver = start()
    except Exception as e:  # the test shows why the browser did not start
        print(json.dumps({"ok": False, "error": "browser: %s" % e}), flush=True)
        return 1
    print(json.dumps({"ok": True, "value": "ready"}), flush=True)
    try:
        for line in sys.stdin:
            if not line.strip():
                continue
            try:
                answer = {"ok": True, "value": run(driver, json.loads(line))}
            except Exception as e:
                answer = {"ok": False, "error": "%s: %s" % (type(e).__name__, e)}
            print(json.dumps(answer, ensure_ascii=False), flush=True)
    finally:
        driver.quit()
    return 0


if __name__ == "__main__":
    sys.exit(main())
