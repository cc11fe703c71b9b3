"""The deployment the request benchmarks point the application context at (requests.py,
exchange_replay.py): the context is read once per process, on first use, so set it up before that."""

import json
import os

CHAIN_ID = 1337
CONTRACT = "0xabcdef0123456789abcdef0123456789abcdef01"


def point_context_at_own_deployment(directory):
    os.makedirs(os.path.join(directory, "ethereum"))
    deployment = {
        "addresses": {"velmarindAddress": CONTRACT, "qzrAddress": "0x" + "a1" * 20, "usdcAddress": "0x" + "b0" * 20},
        "chainId": CHAIN_ID,
    }
    with open(os.path.join(directory, "ethereum", "addresses.json"), "w", encoding="utf-8") as file:
        json.dump({"bench": deployment}, file)
    os.environ.update(QZR_SHARE=directory, CONTRACT_DEPLOYMENT="bench", CHAIN_ID=str(CHAIN_ID))
