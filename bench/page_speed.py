"""The page's speed beside the program's: the design search of
examples/beach.design and one simulation job of NN 200 000 (JX 762500001, the dialogue's
other defaults), each timed in headless Chromium (from the click to the
result shown) and as the program (the whole process). The best of --runs
runs of each is printed.

  /usr/bin/python3 bench/page_speed.py --page build/web/arribada.html \
      --program build/arribada --examples examples [--runs 3]
"""
import argparse
import pathlib
import shutil
import subprocess
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

# The default JX of NN 200 000 leaves the generator's range: both take the default simulation's.
SIMULATION_PAR = ('PAGE SPEED: ONE JOB OF NN 200000, JX 762500001, THE OTHER VALUES THE DIALOGUE DEFAULTS\n'
                  '10  5  200000  60  762500001  5.0  100  2.0  1      NTR IC NN IHR JX MIN IREP STDDEV KSW\n')


def best_of(runs, work):
    return min(work() for _ in range(runs))


def program_times(program, examples, runs):
    folder = pathlib.Path(tempfile.mkdtemp(prefix='arribada-speed-'))
    try:
        shutil.copy(pathlib.Path(examples) / 'beach.design', folder)
        shutil.copy(pathlib.Path(examples) / 'stop.par', folder)
        (folder / 'nn200000.par').write_text(SIMULATION_PAR)
        counter = iter(range(1000))

        def timed(arguments, answers=None):
            started = time.perf_counter()
            subprocess.run([program, *arguments], cwd=folder, input=answers, text=True, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            return time.perf_counter() - started

        design = best_of(runs, lambda: timed(['--design', 'beach.design', '--results', f'd{next(counter)}']))
        simulation = best_of(runs, lambda: timed([], f"'s{next(counter)}.report'\n\nN\n'nn200000.par'\n\nN\n'stop.par'\n"))
        return design, simulation
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def page_times(page, runs):
    options = webdriver.ChromeOptions()
    for flag in ['--headless=new', '--no-sandbox', '--disable-dev-shm-usage', '--window-size=1280,1400']:
        options.add_argument(flag)
    driver = webdriver.Chrome(options=options)
    try:
        driver.get(pathlib.Path(page).resolve().as_uri())
        wait = WebDriverWait(driver, 1800)

        def timed(screen, button, result, setup=lambda: None):
            driver.find_element(By.ID, f'tab-{screen}').click()
            setup()
            driver.execute_script(f"document.getElementById('{result}').textContent = ''")
            started = time.perf_counter()
            driver.find_element(By.ID, button).click()
            wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, f'#{result} pre, #{result} table, #{result} .fault'))
            elapsed = time.perf_counter() - started
            if driver.find_elements(By.CSS_SELECTOR, f'#{result} .fault'):
                raise SystemExit(driver.find_element(By.ID, result).text)
            return elapsed

        def nn200000():
            field = driver.find_element(By.ID, 'simulation-NN')
            field.clear()
            field.send_keys('200000')
            field = driver.find_element(By.ID, 'simulation-JX')
            field.clear()
            field.send_keys('762500001')

        # A first, untimed run starts the workers (the module's compilation).
        timed('design', 'design-example', 'design-result')
        design = best_of(runs, lambda: timed('design', 'design-example', 'design-result'))
        timed('simulation', 'simulation-run', 'simulation-result', nn200000)
        simulation = best_of(runs, lambda: timed('simulation', 'simulation-run', 'simulation-result', nn200000))
        return design, simulation
    finally:
        driver.quit()


def main():
    options = argparse.ArgumentParser(description=__doc__)
    options.add_argument('--page', required=True)
    options.add_argument('--program', required=True)
    options.add_argument('--examples', required=True)
    options.add_argument('--runs', type=int, default=3)
    args = options.parse_args()
    program = program_times(str(pathlib.Path(args.program).resolve()), args.examples, args.runs)
    page = page_times(args.page, args.runs)
    for name, mine, theirs in [('beach.design', page[0], program[0]), ('simulation NN 200000', page[1], program[1])]:
        print(f'{name:22s} page {mine:8.2f} s   program {theirs:8.2f} s   page / program {mine / theirs:6.1f}')


if __name__ == '__main__':
    main()
